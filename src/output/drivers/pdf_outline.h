// Bookmarks (pdfmrk) and the outline tree written from them at the end of
// the document.
#pragma once
#include <string>
#include <vector>

#include "output/drivers/pdf_objects.h"
#include "output/sink.h"

namespace kal {

class PdfOutline {
public:
    static constexpr int LEVELS = 5;   // CHAP SECT SUBS PARA SUBP
    enum Result { ADDED = 0, BAD_STRUCTURE = 1, NO_MEMORY = 2 };

    // A bookmark of `level` on page `page` (counted from 0). A level needs
    // an earlier bookmark of every lower level.
    Result add(const char* title, int level, int page);
    bool empty() const { return marks_.empty(); }
    int size() const { return static_cast<int>(marks_.size()); }

    // Writes the outline root and one object per bookmark (root + 1, ...);
    // returns the number of the root.
    int write(OutputSink& sink, PdfObjects& objects, const std::vector<int>& pages,
              int media_height) const;

private:
    struct Mark {
        int level;
        int page;
        std::string title;
    };
    std::vector<Mark> marks_;
    bool seen_[LEVELS] = {};
};

}  // namespace kal
