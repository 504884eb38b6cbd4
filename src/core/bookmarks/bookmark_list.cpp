#include "core/bookmarks/bookmark_list.h"

#include <algorithm>
#include <cctype>

namespace core {

void BookmarkList::UpdateHistory(const std::string& currentFile) {
    if (selectedText() == currentFile && selected_ >= 0) return;
    entries_.push_back(currentFile);
    selected_ = count() - 1;
    ++revision_;
}

void BookmarkList::AddSeveral(const std::vector<std::string>& names) {
    for (std::size_t i = names.size(); i-- > 1;)
        entries_.push_back(names[i]);
    ++revision_;
}

int BookmarkList::NextIndex() const {
    if (!canStep()) return -1;
    return selected_ + 1 >= count() ? 0 : selected_ + 1;
}

int BookmarkList::PreviousIndex() const {
    if (!canStep()) return -1;
    return selected_ <= 0 ? count() - 1 : selected_ - 1;
}

void BookmarkList::Clear() {
    entries_.clear();
    selected_ = -1;
    ++revision_;
}

void BookmarkList::Replace(std::vector<std::string> entries) {
    entries_ = std::move(entries);
    selected_ = -1;
    ++revision_;
}

namespace {

// Case-insensitive by bytes; UTF-8 bytes above 127 compare as they are.
int CompareNoCase(const std::string& a, const std::string& b) {
    const std::size_t n = std::min(a.size(), b.size());
    for (std::size_t i = 0; i < n; ++i) {
        const int ca = std::tolower(static_cast<unsigned char>(a[i]));
        const int cb = std::tolower(static_cast<unsigned char>(b[i]));
        if (ca != cb) return ca < cb ? -1 : 1;
    }
    return a.size() == b.size() ? 0 : (a.size() < b.size() ? -1 : 1);
}

} // namespace

void BookmarkList::Sort() {
    std::sort(entries_.begin(), entries_.end(), [](const std::string& a, const std::string& b) {
        const int c = CompareNoCase(a, b);
        return c != 0 ? c < 0 : a < b;
    });
    entries_.erase(std::unique(entries_.begin(), entries_.end()), entries_.end());
    selected_ = entries_.empty() ? -1 : 0;
    ++revision_;
}

int BookmarkList::RemoveSelected() {
    if (selected_ < 0) return -1;
    entries_.erase(entries_.begin() + selected_);
    ++revision_;
    selected_ = selected_ - 1 >= 0 ? selected_ - 1 : -1;
    return selected_;
}

} // namespace core
