// The object table of a PDF document: numbers, kinds and byte offsets of
// the indirect objects, and the cross-reference table and trailer written
// from it at the end.
#pragma once
#include <cstdint>
#include <vector>

#include "output/sink.h"

namespace kal {

enum PdfKind : int {
    PDF_PLAIN = 0,
    PDF_CONTENT = 1,
    PDF_PAGE = 2,
    PDF_IMAGE = 3,
    PDF_FORM = 4,
    PDF_FONT = 10,   // PDF_FONT + n for standard font n
};

constexpr int PDF_CATALOG = 1;
constexpr int PDF_PAGE_TREE = 2;

class PdfObjects {
public:
    explicit PdfObjects(OutputSink& sink);

    // The number the next object will get (3 for the first one).
    int next() const { return static_cast<int>(offset_.size()); }
    // Records the offset, writes "%d 0 obj\n" and returns the number.
    int begin(int kind);
    // Begins one of the objects numbered in advance (catalog, page tree).
    void begin_reserved(int number, int kind);
    void end();   // "endobj\n"
    int kind(int number) const;

    // "xref" ... "%%EOF" with the information dictionary `info`.
    void finish(int info);

private:
    OutputSink& sink_;
    std::vector<uint64_t> offset_;
    std::vector<int> kind_;
};

}  // namespace kal
