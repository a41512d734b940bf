#include "output/drivers/pdf_outline.h"

#include <algorithm>
#include <new>

namespace kal {
namespace {

// A PDF literal string: parentheses and backslashes are escaped.
void write_title(OutputSink& sink, const std::string& title) {
    std::string out;
    out.reserve(title.size() + 8);
    for (char c : title) {
        if (c == '(' || c == ')' || c == '\\') out += '\\';
        if (c == '\r') {
            out += "\\r";
            continue;
        }
        out += c;
    }
    sink.write(out.data(), out.size());
}

}  // namespace

PdfOutline::Result PdfOutline::add(const char* title, int level, int page) {
    if (level < 0 || level >= LEVELS) return BAD_STRUCTURE;
    for (int l = 0; l < level; ++l)
        if (!seen_[l]) return BAD_STRUCTURE;
    try {
        marks_.push_back({level, page, title ? title : ""});
    } catch (const std::bad_alloc&) {
        return NO_MEMORY;
    }
    seen_[level] = true;
    return ADDED;
}

int PdfOutline::write(OutputSink& sink, PdfObjects& objects, const std::vector<int>& pages,
                      int media_height) const {
    const int n = size();
    // Parent: the nearest earlier bookmark of a lower level (-1: the root).
    std::vector<int> parent(n, -1);
    int latest[LEVELS] = {-1, -1, -1, -1, -1};
    for (int i = 0; i < n; ++i) {
        for (int l = 0; l < marks_[i].level; ++l) parent[i] = std::max(parent[i], latest[l]);
        latest[marks_[i].level] = i;
    }
    // Children in order; the root's are at index n.
    std::vector<std::vector<int>> children(n + 1);
    for (int i = 0; i < n; ++i) children[parent[i] < 0 ? n : parent[i]].push_back(i);
    std::vector<int> prev(n, -1), next(n, -1);
    for (const auto& list : children)
        for (size_t k = 0; k < list.size(); ++k) {
            if (k > 0) prev[list[k]] = list[k - 1];
            if (k + 1 < list.size()) next[list[k]] = list[k + 1];
        }
    // Descendants: every parent comes before its children.
    std::vector<int> descendants(n, 0);
    for (int i = n - 1; i >= 0; --i)
        if (parent[i] >= 0) descendants[parent[i]] += 1 + descendants[i];

    const int root = objects.begin(PDF_PLAIN);
    auto number = [root](int i) { return root + 1 + i; };
    sink.text("<< /Type /Outlines\n");
    sink.format("   /First %d 0 R\n", number(children[n].front()));
    sink.format("   /Last %d 0 R\n", number(children[n].back()));
    sink.format("   /Count %d\n", n);
    sink.text(">>\n");
    objects.end();
    for (int i = 0; i < n; ++i) {
        objects.begin(PDF_PLAIN);
        sink.text("<< /Title (");
        write_title(sink, marks_[i].title);
        sink.text(")\n");
        sink.format("   /Parent %d 0 R\n", parent[i] < 0 ? root : number(parent[i]));
        if (prev[i] >= 0) sink.format("   /Prev %d 0 R\n", number(prev[i]));
        if (next[i] >= 0) sink.format("   /Next %d 0 R\n", number(next[i]));
        if (!children[i].empty()) {
            sink.format("   /First %d 0 R\n", number(children[i].front()));
            sink.format("   /Last %d 0 R\n", number(children[i].back()));
            sink.format("   /Count %d\n", descendants[i]);
        }
        const int last = static_cast<int>(pages.size()) - 1;
        const int page = pages.empty() ? 0 : pages[std::clamp(marks_[i].page, 0, last)];
        sink.format("   /Dest [%d 0 R /XYZ 0 %d 0]\n", page, media_height);
        sink.text(">>\n");
        objects.end();
    }
    return root;
}

}  // namespace kal
