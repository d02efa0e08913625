#pragma once

#include "folders/folder_paging.h"

// Turns at once, without a slide.
class SteppedFolderPaging final : public FolderPaging
{
public:
    SteppedFolderPaging(int pageCount, int initialPage);

    int currentPage() const override { return m_page; }
    int pageCount() const override { return m_pageCount; }
    void turnToPage(int page) override;

private:
    int m_pageCount = 1;
    int m_page = 0;
};
