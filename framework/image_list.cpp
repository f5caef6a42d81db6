#include "image_list.h"

CImageList::~CImageList() {
  if (m_hImageList && m_bOwned) ImageList_Destroy(m_hImageList);
}

BOOL CImageList::Attach(HIMAGELIST images, bool owned) {
  if (m_hImageList || !images) return FALSE;
  m_hImageList = images;
  m_bOwned = owned;
  return TRUE;
}

HIMAGELIST CImageList::Detach() {
  HIMAGELIST images = m_hImageList;
  m_hImageList = nullptr;
  m_bOwned = false;
  return images;
}
