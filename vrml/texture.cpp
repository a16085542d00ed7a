// vrml/texture.cpp -- texture records of shape leaves.
#include "vrml/texture.h"

#include "core/fields.h"
#include "vrml/hooks.h"
#include "core/leaf.h"
#include "core/memory.h"
#include "core/report.h"
#include "vrml/objcreate.h"
#include "vrml/qvnodes.h"
#include "vrml/qvstate.h"
#include "vrml/urlbase.h"

namespace {

constexpr char kTextureFn[] = "QvNode::setZmTexture";

// Wrap values other than REPEAT and CLAMP leave the texture's unchanged.
void setWrap(const QvSFEnum& field, uint32_t* wrap, const char* warning) {
  if (field.value == QvWrap::REPEAT || field.value == QvWrap::CLAMP) {
    *wrap = static_cast<uint32_t>(field.value);
  } else {
    zmReportWarning("%s", warning);
  }
}

// The texture's image part made its own for a write; null (reported for
// fn) when no copy can be had.
ZmTextureImage* ownImage(ZmTexture* texture, const char* fn) {
  ZmTextureImage* image = zmOwnTextureImage(texture);
  if (image == nullptr) zmReportMessage("%s: %s", fn, "Couldn't allocate memory for the texture.");
  return image;
}

void freeUv(ZmMFVec2f* uv) {
  zmFree(uv->values);
  uv->values = nullptr;
  uv->count = 0;
}

}  // namespace

ZmUrlHash* callZmWwwLoadFile(const char* className, const char* url) {
  if (url == nullptr) {
    zmReportWarning("%s: %s", "QvNode::callZmWwwLoadFile", "argument's filename is null.");
    return nullptr;
  }
  ZmUrlHash* entry = vrmlLoading().wwwLoadFile(qvResolveUrl(url).c_str());
  if (entry == nullptr) zmReportMessage("%s::callZmWwwLoadFile: %s", className, "zmWwwLoadFile() failed.");
  return entry;
}

bool hasTransparentTexture2(QvState* state) { return state->getTopElement(QV_TRANSPARENT_TEXTURE2) != nullptr; }

void setZmTexture(QvState* state, ZmTexture* texture) {
  setZmTextureTransform(state, texture);
  if (setZmTextureCoordinate2(state, &texture->uv) != 0) {
    zmReportMessage("%s: setZmTextureCoordinate2() failed.", kTextureFn);
    return;
  }
  setZmTextureImage(state, texture);
}

void setZmTextureImage(QvState* state, ZmTexture* texture) {
  if (setZmTextureMovie(state, texture) == 0) return;
  QvElement* element = state->getTopElement(QV_TEXTURE2);
  if (element == nullptr) {
    setZmTransparentTexture(state, texture);
    return;
  }
  if (hasTransparentTexture2(state)) {
    zmReportMessage("%s: Texture2 and TransparentTexture2 is exist.", kTextureFn);
    return;
  }
  const auto* node = static_cast<const QvTexture2*>(element->node);
  if (node == nullptr) {
    zmReportWarning("%s: data is empty.", kTextureFn);
    return;
  }
  // "Texture2 { }" names no image: the shapes after it are untextured, and
  // there is no file to look for.
  const char* filename = node->filename.value.getString();
  if (filename != nullptr && filename[0] == '\0') return;
  ZmTextureImage* image = ownImage(texture, kTextureFn);
  if (image == nullptr) return;
  image->file = callZmWwwLoadFile("QvNode", filename);
  if (image->file == nullptr) zmReportMessage("%s: callZmWwwLoadFile() failed.", kTextureFn);
  image->mask = nullptr;
  setWrap(node->wrapS, &image->wrapS, "QvNode::setZmTexture: invalid wrapS field.");
  setWrap(node->wrapT, &image->wrapT, "QvNode::setZmTexture: invalid wrapT field.");
}

void setZmTextureImageOf(QvState* state, ZmTexture* texture, const ZmTexture* sibling) {
  if (sibling != nullptr && zmShareTextureImage(texture, sibling) == 0) return;
  setZmTextureTransform(state, texture);
  setZmTextureImage(state, texture);
}

void setZmTransparentTexture(QvState* state, ZmTexture* texture) {
  const char* fn = "QvNode::setZmTransparentTexture()";
  QvElement* element = state->getTopElement(QV_TRANSPARENT_TEXTURE2);
  if (element == nullptr) return;
  const auto* node = static_cast<const QvTransparentTexture2*>(element->node);
  if (node == nullptr) {
    zmReportMessage("%s: %s", fn, "pElement->data is null.");
    return;
  }
  ZmUrlHash* file = callZmWwwLoadFile("QvNode", node->filename.value.getString());
  if (file == nullptr) {
    zmReportMessage("%s: %s", fn, "callZmWwwLoadFile() failed.");
    return;
  }
  ZmUrlHash* mask = callZmWwwLoadFile("QvNode", node->maskFilename.value.getString());
  if (mask == nullptr) {
    coreLoading().releaseUrlHashEntry(file);
    zmReportMessage("%s: %s", fn, "callZmWwwLoadFile() failed.");
    return;
  }
  ZmTextureImage* image = ownImage(texture, fn);
  if (image == nullptr) return;
  image->file = file;
  image->mask = mask;
  setWrap(node->wrapS, &image->wrapS, "QvNode::setZmTransparentTexture(): invalid wrapS info.");
  setWrap(node->wrapT, &image->wrapT, "QvNode::setZmTransparentTexture(): invalid wrapT info.");
}

void setZmTextureTransform(QvState* state, ZmTexture* texture) {
  if (state->getTopElement(QV_TEXTURE2_TRANSFORM) == nullptr) return;
  if (ZmTextureImage* image = ownImage(texture, "QvNode::setZmTexture2Transform"))
    setZmTexture2Transform(state, &image->transform);
}

void setZmTexture2Transform(QvState* state, ZmRT2* transform) {
  QvElement* element = state->getTopElement(QV_TEXTURE2_TRANSFORM);
  if (element == nullptr) return;
  const auto* node = static_cast<const QvTexture2Transform*>(element->node);
  if (node == nullptr) {
    zmReportWarning("%s: data is empty.", "QvNode::setZmTexture2Transform");
    return;
  }
  // identity x Nt x Nc x Nr x Ns x Nc^-1, multiplied up left to right.
  ZmRT2 translation, center, rotation, scale, centerInverse;
  setZmTranslationRT2(node->translation, &translation);
  setZmTranslationRT2(node->center, &center);
  setZmRotationRT2(node->rotation.value, &rotation);
  setZmScaleRT2(node->scaleFactor, &scale);
  zmRT2Invert(&center, &centerInverse);
  zmRT2Identity(transform);
  for (const ZmRT2* factor : {&translation, &center, &rotation, &scale, &centerInverse})
    zmRT2PostMult(factor, transform);
}

int setDefaultTextureCoordinate2(ZmMFVec2f* uv) {
  freeUv(uv);
  uv->values = static_cast<ZmVec2*>(zmSlabMalloc(sizeof(ZmVec2)));
  if (uv->values == nullptr) {
    zmReportMessage("%s: Couldn't allocate memory for uv.vecs", "setDefaultTextureCoordinate2");
    return -5;
  }
  uv->count = 1;
  uv->values[0] = {0, 0};
  return 0;
}

int setZmTextureCoordinate2(QvState* state, ZmMFVec2f* uv) {
  const char* fn = "QvNode::setZmTextureCoordinate2";
  QvElement* element = state->getTopElement(QV_TEXTURE_COORDINATE2);
  if (element == nullptr) return setDefaultTextureCoordinate2(uv);
  const auto* node = static_cast<const QvTextureCoordinate2*>(element->node);
  if (node == nullptr) {
    zmReportWarning("%s: data is empty.", fn);
    return setDefaultTextureCoordinate2(uv);
  }
  if (node->point.num <= 0) {
    zmReportWarning("%s: TextureCoordinate2 has no coordinates.", fn);
    return setDefaultTextureCoordinate2(uv);
  }
  freeUv(uv);
  uv->values = static_cast<ZmVec2*>(zmSlabMalloc(node->point.num * sizeof(ZmVec2)));
  if (uv->values == nullptr) {
    zmReportMessage("%s: Couldn't allocate memory for uv.vecs", fn);
    return setDefaultTextureCoordinate2(uv);
  }
  uv->count = node->point.num;
  for (int32_t i = 0; i < uv->count; ++i) uv->values[i] = {node->point.values[2 * i], node->point.values[2 * i + 1]};
  return 0;
}

int setZmTextureMovie(QvState* state, ZmTexture* texture) {
  const char* fn = "QvNode::setZmTextureMovie()";
  QvElement* element = state->getTopElement(QV_MOVIE2);
  if (element == nullptr) return -1;
  const auto* node = static_cast<const QvMovie2*>(element->node);
  auto fail = [&](const char* text) {
    state->popElement(QV_MOVIE2);
    zmReportMessage("%s: %s", fn, text);
    return -1;
  };
  if (node == nullptr) {
    state->popElement(QV_MOVIE2);
    zmReportWarning("%s: %s", fn, "pElement->data is null.");
    return -1;
  }
  char* fileName = node->getFileNameField();
  if (fileName == nullptr) return fail("pMovie2->getFileNameField() failed.");
  int playing = node->getAutoPlayField();
  Movie2Options options;
  if (node->getOptionField(&options) != 0) {
    zmFree(fileName);
    return fail("pMovie2->getOptionField() failed.");
  }
  ZmTextureImage* image = ownImage(texture, fn);
  ZmTextureMovie* movie = image != nullptr ? vrmlMedia().newMovie() : nullptr;
  if (movie == nullptr) {
    zmFree(options.sound);
    zmFree(fileName);
    return fail("zmNewMovie() failed.");
  }
  if (image->movie) vrmlMedia().deleteTextureMovie(image->movie);
  image->movie = movie;
  if (image->file == nullptr) {
    image->file = callZmWwwLoadFile("QvNode", fileName);
    if (image->file == nullptr) {
      zmFree(options.sound);
      zmFree(fileName);
      vrmlMedia().deleteTextureMovie(movie);
      image->movie = nullptr;
      return fail("callZmWwwLoadFile() failed.");
    }
  }
  zmFree(fileName);
  movie->playing = playing;
  movie->width = options.width;
  movie->height = options.height;
  movie->framesPerSec = options.framesPerSec;
  zmFree(movie->soundFile);
  movie->soundFile = options.sound;
  return 0;
}
