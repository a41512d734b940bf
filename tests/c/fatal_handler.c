/* A fatal condition with a handler that returns: the routine returns with
   the library unchanged, and the program carries on. */
#include <kalvor/kalvor.h>
#include <stdio.h>
#include <string.h>

static char last[256];

static void remember(const char* message) {
    strncpy(last, message, sizeof last - 1);
}

int main(void) {
    FILE* fp = fopen("kalvor.met", "w");
    if (fp) fclose(fp);
    kalvor_set_fatal_handler(remember);
    filmod("BREA");
    kalini();                       /* kalvor.met exists: fatal */
    printf("\n[%s] level %d\n", last, getlev());
    filmod("COUN");
    setfil(NULL);                   /* a NULL string counts as "" */
    setfil("c_plot.met");
    kalini();
    printf("%s\n", getfil());
    errmod("PROT", "OFF");
    kalfin();
    kalvor_set_fatal_handler(NULL);
    filmod("BREA");
    setfil("c_plot.met");
    kalini();                       /* default handler: exit status 1 */
    printf("not reached\n");
    return 0;
}
