// The bookmark list: every file opened, in order, with one selected entry.
// Paths are kept exactly as given (file systems here are case-sensitive).
#pragma once

#include <string>
#include <vector>

namespace core {

class BookmarkList {
  public:
    // After a successful open: append `currentFile` and select it, unless it
    // is already the selected entry (compared exactly). A file that is in the
    // list but not selected is appended again.
    void UpdateHistory(const std::string& currentFile);

    // Several files chosen or dropped at once: every name but the first is
    // appended, from the last to the second; the caller then opens the first.
    void AddSeveral(const std::vector<std::string>& names);

    int count() const { return static_cast<int>(entries_.size()); }
    const std::vector<std::string>& entries() const { return entries_; }
    int selected() const { return selected_; }
    void select(int index) { selected_ = (index >= 0 && index < count()) ? index : -1; }
    std::string selectedText() const {
        return selected_ >= 0 ? entries_[selected_] : std::string();
    }

    // Next and previous wrap around; -1 (nothing to do) with fewer than two
    // entries. From no selection, next goes to the first and previous to the
    // last entry.
    int NextIndex() const;
    int PreviousIndex() const;

    // The commands that depend on the list: at least one entry (Delete,
    // Copy to, Move to, Unmark) and at least two (stepping through it).
    bool hasEntries() const { return !entries_.empty(); }
    bool canStep() const { return entries_.size() > 1; }

    void Clear();
    // Replaces the whole list (a loaded bookmark file); nothing selected.
    void Replace(std::vector<std::string> entries);

    // Sorts ignoring case; only exact duplicates are dropped, since names that
    // differ in case are different files here. Entries equal apart from case
    // keep a fixed (byte) order. Selects the first entry.
    void Sort();

    // Removes the selected entry and selects the one before it. Returns the
    // new selection: -1 when the first entry was removed (the caller shows
    // the empty picture) or when nothing was selected (nothing removed).
    int RemoveSelected();

    // Changes whenever the entries change (not the selection), so a view
    // of the list knows when to refill itself.
    unsigned revision() const { return revision_; }

  private:
    std::vector<std::string> entries_;
    int selected_ = -1;
    unsigned revision_ = 0;
};

} // namespace core
