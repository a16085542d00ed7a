// vrmlwrite/qvdumpprops.cpp -- the property nodes ahead of a shape: Movie2,
// TransparentTexture2, Texture2, Material, bindings, Normal,
// TextureCoordinate2 and Coordinate3. Each is left out at its VRML default.
#include <string>

#include "core/leaf.h"
#include "core/material.h"
#include "vrmlwrite/qvdump.h"
#include "vrmlwrite/qvdumps.h"

namespace {

// Writes "Type{", the fields one level deeper, and "}".
template <typename Fields>
void dumpNode(DumpContext& dump, const char* opening, Fields fields) {
  dumpPrintf(dump, "%s", opening);
  dump.indent++;
  fields();
  dump.indent--;
  dumpPrintf(dump, "}");
}

// The option field of a Movie2 node, empty when every part is at its default.
std::string movieOptionText(const ZmTextureMovie* movie) {
  std::string parts;
  auto add = [&parts](const std::string& part) {
    parts += parts.empty() ? "option   \"" : ", ";
    parts += part;
  };
  std::string rate = dumpFloatText(movie->framesPerSec);
  if (rate != "4") add("framesPerSec " + rate);
  if (movie->width != 128) add("width " + std::to_string(movie->width));
  if (movie->height != 128) add("height " + std::to_string(movie->height));
  if (movie->soundFile != nullptr) add(std::string("sound\\\"") + movie->soundFile + "\\\"");
  if (!parts.empty()) parts += '"';
  return parts;
}

}  // namespace

int zmDumpMovie2(DumpContext& dump, ZmTexture* texture) {
  const ZmTextureImage* image = texture->image;
  const ZmTextureMovie* movie = image->movie;
  if (movie == nullptr) return -1;
  dumpNode(dump, "Movie2{", [&] {
    dumpAbs2UrlOfFileName(dump, image->file, "filename ");
    if (movie->playing != 1) dumpPrintf(dump, "autoPlay FALSE");
    std::string option = movieOptionText(movie);
    if (!option.empty()) dumpPrintf(dump, "%s", option.c_str());
  });
  return 0;
}

void zmDumpTexture2(DumpContext& dump, ZmTexture* texture) {
  if (zmDumpMovie2(dump, texture) == 0) return;
  const ZmTextureImage* image = texture->image;
  if (image->wrapS == 0 && image->wrapT == 0 && image->file == nullptr) return;
  if (image->mask != nullptr) {
    zmDumpTransparentTexture2(dump, texture);
    return;
  }
  dumpNode(dump, "Texture2{", [&] {
    dumpAbs2UrlOfFileName(dump, image->file, "filename ");
    if (image->wrapS != 0) zmDumpWrapType(dump, static_cast<int32_t>(image->wrapS), "wrapS    ");
    if (image->wrapT != 0) zmDumpWrapType(dump, static_cast<int32_t>(image->wrapT), "wrapT    ");
  });
}

void zmDumpTransparentTexture2(DumpContext& dump, ZmTexture* texture) {
  const ZmTextureImage* image = texture->image;
  if (image->wrapS == 0 && image->wrapT == 0 && image->file == nullptr && image->mask == nullptr) return;
  dumpNode(dump, "TransparentTexture2{", [&] {
    dumpAbs2UrlOfFileName(dump, image->file, "filename     ");
    dumpAbs2UrlOfFileName(dump, image->mask, "maskFilename ");
    if (image->wrapS != 0) zmDumpWrapType(dump, static_cast<int32_t>(image->wrapS), "wrapS        ");
    if (image->wrapT != 0) zmDumpWrapType(dump, static_cast<int32_t>(image->wrapT), "wrapT        ");
  });
}

void zmDumpMaterial(DumpContext& dump, const ZmMaterial* material) {
  bool ambient = !dumpIsDefaultMFColor(&material->ambient_color, 0.2, 0.2, 0.2);
  bool diffuse = !dumpIsDefaultMFColor(&material->diffuse_color, 0.8, 0.8, 0.8);
  bool specular = !dumpIsDefaultMFColor(&material->specular_color, 0, 0, 0);
  bool emissive = !dumpIsDefaultMFColor(&material->emmisive_color, 0, 0, 0);
  bool shininess = !dumpIsDefaultMFFloat(&material->shininess, 0.2);
  bool transparency = !dumpIsDefaultMFFloat(&material->transparency, 0);
  if (!(ambient || diffuse || specular || emissive || shininess || transparency)) return;
  dumpNode(dump, "Material{", [&] {
    if (ambient) zmDumpMFColor(dump, &material->ambient_color, "ambientColor  ");
    if (diffuse) zmDumpMFColor(dump, &material->diffuse_color, "diffuseColor  ");
    if (specular) zmDumpMFColor(dump, &material->specular_color, "specularColor ");
    if (emissive) zmDumpMFColor(dump, &material->emmisive_color, "emissiveColor ");
    if (shininess) zmDumpMFFloat(dump, &material->shininess, "shininess     ");
    if (transparency) zmDumpMFFloat(dump, &material->transparency, "transparency  ");
  });
}

void zmDumpMaterialBinding(DumpContext& dump, int32_t binding, int32_t skip) {
  if (binding == 0 || binding == skip) return;
  dumpNode(dump, "MaterialBinding{", [&] { zmDumpBindingType(dump, binding, "value"); });
}

void zmDumpNormalBinding(DumpContext& dump, int32_t binding, int32_t skip) {
  if (binding == 0 || binding == skip) return;
  dumpNode(dump, "NormalBinding{", [&] { zmDumpBindingType(dump, binding, "value"); });
}

void zmDumpNormal(DumpContext& dump, ZmMFVec3f* normals) {
  if (dumpIsDefaultMFVec3f(normals, 0, 0, 1)) return;
  dumpNode(dump, "Normal{", [&] { zmDumpMFVec3f(dump, normals, "vector"); });
}

void zmDumpTextureCoordinate2(DumpContext& dump, ZmMFVec2f* points) {
  if (dumpIsDefaultMFVec2f(points, 0, 0)) return;
  dumpNode(dump, "TextureCoordinate2{", [&] { zmDumpMFVec2f(dump, points, "point"); });
}

namespace {

// "Coordinate3{ point [ ... ] }" over the given point lists, in order; a
// list at its default (the single point 0 0 0) adds nothing.
template <typename EachList>
void dumpCoordinate3Lists(DumpContext& dump, EachList eachList) {
  dumpNode(dump, "Coordinate3{", [&] {
    dumpPrintf(dump, "point [");
    eachList([&](ZmMFVec3f* points) {
      if (!dumpIsDefaultMFVec3f(points, 0, 0, 0)) zmDumpMFVec3f(dump, points, nullptr);
    });
    dumpPrintf(dump, "]");
  });
}

}  // namespace

void zmDumpCoordinate3(DumpContext& dump, ZmLeaf* first) {
  dumpCoordinate3Lists(dump, [&](auto write) {
    for (ZmLeaf* leaf = first; leaf != nullptr; leaf = leaf->next)
      write(leaf->kind == ZM_LEAF_LINE ? &static_cast<ZmLine*>(leaf)->vertex : &static_cast<ZmFace*>(leaf)->vertex);
  });
}

void dumpCoordinate3OfPoints(DumpContext& dump, ZmMFVec3f* points) {
  dumpNode(dump, "Coordinate3{", [&] {
    dumpPrintf(dump, "point [");
    zmDumpMFVec3f(dump, points, nullptr);
    dumpPrintf(dump, "]");
  });
}
