// core/texture.cpp -- image parts of shape textures; see texture.h.
#include "core/texture.h"

#include "core/memory.h"

const ZmTextureImage zmNoTextureImage = {nullptr, nullptr, {{1, 0, 0, 1}, {0, 0}}, 0, 0, nullptr};

ZmTextureImage* zmOwnTextureImage(ZmTexture* texture) {
  const ZmTextureImage* image = texture->image;
  if (image != &zmNoTextureImage && !zmIsSharedBlock(image)) return const_cast<ZmTextureImage*>(image);
  auto* own = static_cast<ZmTextureImage*>(zmSlabMalloc(sizeof(ZmTextureImage)));
  if (own == nullptr) return nullptr;
  *own = *image;
  if (image != &zmNoTextureImage) zmFree(const_cast<ZmTextureImage*>(image));
  texture->image = own;
  return own;
}

int zmShareTextureImage(ZmTexture* to, const ZmTexture* from) {
  if (to->image != &zmNoTextureImage || from->image->movie != nullptr) return -1;
  if (from->image == &zmNoTextureImage) return 0;
  void* share = zmShareBlock(const_cast<ZmTextureImage*>(from->image), sizeof(ZmTextureImage));
  if (share == nullptr) return -1;
  to->image = static_cast<const ZmTextureImage*>(share);
  return 0;
}

ZmTextureImage* zmDropTextureImage(ZmTexture* texture) {
  const ZmTextureImage* image = texture->image;
  texture->image = &zmNoTextureImage;
  if (image == &zmNoTextureImage || image == nullptr) return nullptr;
  auto* mine = const_cast<ZmTextureImage*>(image);
  if (!zmIsSharedBlock(mine)) return mine;
  zmFree(mine);
  return nullptr;
}
