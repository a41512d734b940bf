// pdfbuf and pdfmrk: the document kept in memory, and bookmarks.
#include <cstdint>
#include <cstring>

#include "api/routines_pdf_output.h"
#include "core/context.h"
#include "core/devices.h"
#include "output/drivers/pdf.h"

namespace kal {

int pdfbuf(Context& ctx, char* buffer, int size) {
    if (ctx.page.device != DEV_PDF) {
        custom_warning(ctx, 101, "Output format is not PDF");
        return 0;
    }
    PdfRecord* record = ctx.out.pdf.get();
    // Before the first PDF the pdfmod setting answers.
    if (record ? !record->buffer_output : !ctx.page.pdf_buffer) {
        custom_warning(ctx, 101, "Buffer output is not enabled for PDF");
        return 0;
    }
    if (size < 0 || (size > 0 && !buffer)) {
        warn_int(ctx, 2, size);
        return 0;
    }
    MemoryBlock* memory = record ? &record->memory : nullptr;
    if (memory && memory->failed()) {
        warn(ctx, 51);
        return 0;
    }
    if (!memory || memory->size() == 0) {
        custom_warning(ctx, 101, "Internal PDF buffer is empty");
        return 0;
    }
    if (memory->size() > static_cast<size_t>(INT32_MAX)) {
        custom_warning(ctx, 101, "Buffer too small for PDF file");
        return 0;
    }
    const int length = static_cast<int>(memory->size());
    if (size == 0) return length;
    if (length > size) {
        custom_warning(ctx, 101, "Buffer too small for PDF file");
        return 0;
    }
    std::memcpy(buffer, memory->data(), memory->size());
    memory->release();
    return length;
}

void pdfmrk(Context& ctx, const char* title, const char* level) {
    auto* pdf = dynamic_cast<PdfDriver*>(ctx.out.driver.get());
    if (!pdf) return;   // bookmarks exist on PDF pages only
    const int key = keyword_index("CHAP+SECT+SUBS+PARA+SUBP", level);
    if (key == 0) {
        custom_warning(ctx, 101, "Bad parameter");
        return;
    }
    switch (pdf->bookmark(title, key - 1)) {
        case PdfOutline::ADDED: break;
        case PdfOutline::BAD_STRUCTURE: custom_warning(ctx, 101, "Bad structure for bookmarks"); break;
        case PdfOutline::NO_MEMORY: custom_warning(ctx, 101, "Not enough memory"); break;
    }
}

}  // namespace kal
