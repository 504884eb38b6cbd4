#include "core/bookmarks/bookmark_list.h"

namespace core {

void BookmarkList::UpdateHistory(const std::string& currentFile) {
    if (selectedText() == currentFile && selected_ >= 0) return;
    entries_.push_back(currentFile);
    selected_ = count() - 1;
}

void BookmarkList::AddSeveral(const std::vector<std::string>& names) {
    for (std::size_t i = names.size(); i-- > 1;) entries_.push_back(names[i]);
}

int BookmarkList::NextIndex() const {
    if (entries_.empty()) return -1;
    return selected_ + 1 >= count() ? 0 : selected_ + 1;
}

int BookmarkList::PreviousIndex() const {
    if (entries_.empty()) return -1;
    return selected_ <= 0 ? count() - 1 : selected_ - 1;
}

} // namespace core
