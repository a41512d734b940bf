/* The smallest KALVOR program: one plotting cycle with every default,
   which writes the metafile kalvor.met in the current directory. */
#include <kalvor/kalvor.h>

int main(void) {
    kalini();
    kalfin();
    return 0;
}
