#include "folders/stepped_folder_paging.h"

#include <algorithm>

SteppedFolderPaging::SteppedFolderPaging(int pageCount, int initialPage)
    : m_pageCount(std::max(1, pageCount))
    , m_page(std::clamp(initialPage, 0, m_pageCount - 1))
{
}

void SteppedFolderPaging::turnToPage(int page)
{
    m_page = std::clamp(page, 0, m_pageCount - 1);
    if (onPageChanged)
        onPageChanged(m_page);
}
