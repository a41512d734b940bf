// Everything written to a temporary output file so far.
#pragma once
#include <cstdio>
#include <string>

inline std::string read_back(FILE* fp) {
    std::fflush(fp);
    std::rewind(fp);
    std::string s;
    char buf[65536];
    for (size_t n; (n = std::fread(buf, 1, sizeof buf, fp)) > 0;) s.append(buf, n);
    return s;
}
