#pragma once

#include <functional>

// The pages of an open folder as the overlay sees them: which page shows, how
// many there are, and a request to turn to another. The overlay redraws when
// `onPageChanged` reports the page that now shows.
class FolderPaging
{
public:
    virtual ~FolderPaging() = default;

    virtual int currentPage() const = 0;
    virtual int pageCount() const = 0;
    // Clamps into the pages; reports through onPageChanged, also when the
    // clamped page is the one showing (the overlay refreshes its cells).
    virtual void turnToPage(int page) = 0;

    std::function<void(int page)> onPageChanged;
};
