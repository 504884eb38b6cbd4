// The page commands of multi-page documents (TIFF and DCX faxes above all):
// Next, Previous, First, Last and the tool bar's Page button. Each page is
// decoded on a worker thread from the library image the open left open,
// while the page shown stays painted. Every edit ends the paging.
#pragma once

#include "core/common/result.h"
#include "core/input/open_pipeline.h"

#include <atomic>
#include <thread>

namespace gui {

struct WindowContext;

class PageCommands {
  public:
    explicit PageCommands(WindowContext& ctx) : ctx_(ctx) {}
    ~PageCommands() { CancelDecode(); }

    // The handler of the four menu items (`menuItem`, with their step as
    // tag) and of the Page button (step 1).
    void mnuPageChange(int step, bool menuItem);
    // Ends the paging: page 0, no pages, the menus hidden, the button off.
    void MultiPageDisable();
    // After a successful open: page 0; the menus and the button for 2 pages or more.
    void AfterOpen();

    int currentPage() const { return page_; }
    bool busy() const { return decoding_; }
    void CancelDecode();
    bool WaitIdle(int timeoutMs = 30000);

  private:
    void ShowPaging(bool on);
    void FinishPage(core::Result<core::DecodedPicture> result, core::DocumentState doc, int page);

    WindowContext& ctx_;
    int page_ = 0;
    std::thread worker_;
    std::atomic<bool> stop_{false};
    bool decoding_ = false;
    int generation_ = 0;
};

} // namespace gui
