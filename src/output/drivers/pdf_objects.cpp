#include "output/drivers/pdf_objects.h"

namespace kal {

PdfObjects::PdfObjects(OutputSink& sink) : sink_(sink) {
    // Object 0 is the head of the free list; 1 and 2 are written last.
    offset_.assign(3, 0);
    kind_.assign(3, PDF_PLAIN);
    offset_.reserve(100);
    kind_.reserve(100);
}

int PdfObjects::begin(int kind) {
    const int number = next();
    offset_.push_back(sink_.offset());
    kind_.push_back(kind);
    sink_.format("%d 0 obj\n", number);
    return number;
}

void PdfObjects::begin_reserved(int number, int kind) {
    offset_[number] = sink_.offset();
    kind_[number] = kind;
    sink_.format("%d 0 obj\n", number);
}

void PdfObjects::end() { sink_.text("endobj\n"); }

int PdfObjects::kind(int number) const {
    return (number >= 0 && number < next()) ? kind_[number] : -1;
}

void PdfObjects::finish(int info) {
    const uint64_t xref = sink_.offset();
    const int count = next();
    sink_.text("xref\n");
    sink_.format("0 %d\n", count);
    sink_.text("0000000000 65535 f \n");
    for (int i = 1; i < count; ++i)
        sink_.format("%010llu 00000 n \n", static_cast<unsigned long long>(offset_[i]));
    sink_.text("trailer\n");
    sink_.format("<< /Size %d /Root 1 0 R /Info %d 0 R\n", count, info);
    sink_.text(">>\n");
    sink_.text("startxref\n");
    sink_.format("%llu\n", static_cast<unsigned long long>(xref));
    sink_.text("%%EOF\n");
}

}  // namespace kal
