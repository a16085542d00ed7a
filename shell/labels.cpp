// shell/labels.cpp -- chat and scouter labels over the objects of the view;
// see labels.h.
#include "shell/labels.h"

#include <cstring>

#include "core/bounds.h"
#include "core/leaf.h"
#include "core/report.h"
#include "core/transform.h"
#include "core/world.h"
#include "platform/clock.h"
#include "platform/wingdi.h"
#include "script/mainloop.h"
#include "shell/cmdline.h"
#include "shell/viewparts.h"
#include "viewer/api.h"
#include "viewer/sceneobjects.h"

namespace {

constexpr COLORREF kChatBackground = RGB(0xC0, 0xC0, 0xC0);
constexpr COLORREF kScouterBackground = RGB(0x80, 0x80, 0x80);
constexpr DWORD kPatternOrDestination = 0x00FA0089;

// The labels' part of the view's record.
ZmLabelList& labels() { return zmViewParts().labels; }

// ---- Time --------------------------------------------------------------------------

struct Moment {
  uint32_t sec, msec;
};

Moment now() {
  const uint64_t ms = platform::clockMs();
  return {uint32_t(ms / 1000), uint32_t(ms % 1000)};
}

void setExpiry(ZmLabel* label, uint32_t lifeMs) {
  const Moment t = now();
  const uint32_t msec = t.msec + lifeMs;
  label->flags |= ZM_LABEL_EXPIRES;
  label->expirySec = t.sec + msec / 1000;
  label->expiryMsec = msec % 1000;
}

bool expired(const ZmLabel* label) {
  if ((label->flags & ZM_LABEL_EXPIRES) == 0) return false;
  const Moment t = now();
  return label->expirySec < t.sec || (label->expirySec == t.sec && label->expiryMsec <= t.msec);
}

// ---- The list ------------------------------------------------------------------------

// Without its font (before start-up made it) a label cannot be drawn: none
// is made.
ZmLabel* newLabel(ZmObj* object, ZmLeaf* part, ZmFontObj* fontObj, int32_t kind) {
  ZmLabelList& labels = zmViewParts().labels;
  if (fontObj == nullptr) return nullptr;
  auto* label = new ZmLabel{};
  label->x = label->y = -1;
  label->object = object;
  label->part = part;
  label->fontObj = fontObj;
  label->kind = kind;
  label->textBuf = zmNewTextBuf(fontObj);
  if (label->textBuf == nullptr) {
    delete label;
    return nullptr;
  }
  zmTextBufSetOwner(label->textBuf, zmGetViewHwnd());
  zmTextBufSetEscape(label->textBuf, 1);
  zmTextBufSetWrap(label->textBuf, ZM_LABEL_WRAP_WIDTH, 1);
  label->next = labels.first;
  if (labels.first != nullptr) labels.first->prev = label;
  labels.first = label;
  if (!labels.shown) label->flags |= ZM_LABEL_FROZEN;
  return label;
}

void removeLabel(ZmLabel* label) {
  ZmLabelList& labels = zmViewParts().labels;
  if (labels.scouterLabel == label) labels.scouterLabel = nullptr;
  zmDeleteTextBuf(label->textBuf);
  if (label->prev != nullptr) label->prev->next = label->next;
  if (label->next != nullptr) label->next->prev = label->prev;
  if (labels.first == label) labels.first = label->next;
  delete label;
}

// False when the text cannot be kept: the caller removes the label.
bool setText(ZmLabel* label, const char* text) {
  zmTextBufClear(label->textBuf);
  if (zmTextBufAppend(label->textBuf, text) != 0) return false;
  label->width = zmTextBufGetWidest(label->textBuf);
  label->height = zmTextBufGetHeight(label->textBuf);
  return true;
}

// ---- Placing ---------------------------------------------------------------------------

bool viewPointOf(ZmWorld* world, const float point[3], POINT* out) {
  int x = 0, y = 0, onScreen = 0;
  zmProjectObjPoint(world, point, &x, &y, &onScreen);
  if (!onScreen) return false;
  *out = {x, y};
  return true;
}

// A label at its anchor is kept inside the view's client area.
void pullInsideView(ZmLabel* label) {
  RECT client{};
  GetClientRect(zmGetViewHwnd(), &client);
  if (label->x + label->width + 4 >= client.right) label->x = client.right - label->width - 8;
  if (label->y + label->height + 2 >= client.bottom) label->y = client.bottom - label->height - 6;
  if (label->x < client.left) label->x = 0;
  if (label->y < client.top) label->y = 0;
}

// Labels over objects of a world not on show stay unplaced.
void place(ZmLabel* label) {
  ZmWorld* world = label->object != nullptr ? label->object->world : nullptr;
  POINT point{};
  const bool inView = world != nullptr && world == zmGetCurrentWorld() &&
                      (label->geometry == ZM_LABEL_AT_ANCHOR
                           ? viewPointOf(world, label->anchor, &point)
                           : zmLabelWinSetObjPos(world, label->object, &point, label->geometry) == 0);
  if (!inView) {
    label->placed = 0;
    return;
  }
  label->placed = 1;
  label->x = point.x - label->width / 2;
  label->y = point.y - label->height;
  if (label->geometry == ZM_LABEL_AT_ANCHOR) pullInsideView(label);
}

// Sets the text, the life and the place of a new or renewed label; false
// when the label had to go.
bool say(ZmLabel* label, const char* text, uint32_t lifeMs) {
  if (!setText(label, text)) {
    removeLabel(label);
    return false;
  }
  setExpiry(label, lifeMs);
  place(label);
  return true;
}

// ---- Chat ---------------------------------------------------------------------------

// The first leaf of the first object, depth first, whose first leaf is a
// shape: what a chat label names as its part.
ZmLeaf* firstShapeLeaf(ZmObj* object) {
  if (object->leaf != nullptr && zmIsShapeLeaf(object->leaf)) return object->leaf;
  for (ZmChildList* node = object->child; node != nullptr; node = node->next)
    if (ZmLeaf* leaf = firstShapeLeaf(node->object)) return leaf;
  return nullptr;
}

// ---- Scouter ---------------------------------------------------------------------------

const char* scouterText(ZmObj* picked, ZmObj** owner) {
  const bool byName = zmShell.options.dname && !zmShell.options.dcomment;
  *owner = byName ? zmGetObjName(picked) : zmGetObjComment(picked);
  if (*owner == nullptr) return nullptr;
  return byName ? (*owner)->comment[1] : (*owner)->comment[3];
}

ZmLabel* scout(ZmWorld* world, LPARAM lParam) {
  ZmPickInfo picked{};
  if (zmPickupZmShape(world, SHORT(LOWORD(lParam)), SHORT(HIWORD(lParam)), &picked) != 0) return nullptr;
  ZmObj* owner = nullptr;
  const char* text = scouterText(picked.object, &owner);
  if (text == nullptr) return nullptr;
  if (ZmLabel* label = zmFindObjLabel(owner, ZM_LABEL_SCOUTER)) {
    if (std::strcmp(zmLabelText(label), text) == 0) return label;
    return say(label, text, ZM_SCOUTER_LABEL_LIFE) ? label : nullptr;
  }
  ZmLabel* label = newLabel(owner, picked.leaf, labels().scouterFont, ZM_LABEL_SCOUTER);
  if (label == nullptr) return nullptr;
  std::memcpy(label->anchor, picked.point, sizeof label->anchor);
  label->geometry = ZM_LABEL_AT_ANCHOR;
  label->flags |= ZM_LABEL_FOLLOW;
  return say(label, text, ZM_SCOUTER_LABEL_LIFE) ? label : nullptr;
}

bool hasText(const char* text) { return text != nullptr && text[0] != '\0'; }

ZmObj* firstUpwardsWith(ZmObj* object, int slot) {
  for (; object != nullptr; object = object->parent)
    if (hasText(object->comment[slot])) return object;
  return nullptr;
}

// ---- Drawing -----------------------------------------------------------------------------

void paintBackground(HDC dc, const ZmLabel* label, int height) {
  HGDIOBJ previous = SelectObject(dc, zmGetFontObjBrush(label->fontObj));
  SetBkColor(dc, zmGetFontObjBgColor(label->fontObj));
  PatBlt(dc, label->x, label->y, label->width, height, kPatternOrDestination);
  SelectObject(dc, previous);
  SetBkMode(dc, TRANSPARENT);
}

void drawLines(HDC dc, const ZmLabel* label) {
  const int lineHeight = zmGetFontObjLineHeight(label->fontObj);
  const bool shadow = (label->fontObj->flags & ZM_LABEL_STYLE_SHADOW) != 0;
  HGDIOBJ previous = SelectObject(dc, zmGetFontObjFont(label->fontObj));
  int y = label->y;
  for (ZmTextMsg* msg = label->textBuf->firstMsg; msg != nullptr; msg = msg->next) {
    for (ZmTextLine* line = msg->firstLine; line != nullptr; line = line->next) {
      if (shadow) {
        SetBkMode(dc, TRANSPARENT);
        SetTextColor(dc, RGB(0, 0, 0));
        TextOutA(dc, label->x + 1, y + 1, line->start, line->drawn);
      }
      SetTextColor(dc, zmGetFontObjTextColor(label->fontObj));
      TextOutA(dc, label->x, y, line->start, line->drawn);
      y += lineHeight;
      if (line == msg->lastLine) break;
    }
  }
  SelectObject(dc, previous);
}

void draw(HDC dc, const ZmLabel* label) {
  const int height = zmTextBufGetLineCount(label->textBuf) * zmGetFontObjLineHeight(label->fontObj);
  if ((label->fontObj->flags & ZM_LABEL_STYLE_BACKGROUND) != 0) paintBackground(dc, label, height);
  drawLines(dc, label);
}

}  // namespace

// ---- Start and end ---------------------------------------------------------------

int zmLabelInit() { return 0; }

int zmLabelExit() {
  ZmLabelList& labels = zmViewParts().labels;
  while (labels.first != nullptr) removeLabel(labels.first);
  return 0;
}

int zmScouterInitFont() {
  ZmLabelList& labels = zmViewParts().labels;
  if (labels.scouterFont == nullptr)
    labels.scouterFont =
        zmNewFontObj("ARIAL Italic", 16, kScouterBackground, RGB(0xFF, 0xFF, 0xFF), ZM_LABEL_STYLE_SHADOW);
  return labels.scouterFont != nullptr ? 0 : -1;
}

void zmScouterExitFont() {
  ZmLabelList& labels = zmViewParts().labels;
  zmDeleteFontObj(labels.scouterFont);
  labels.scouterFont = nullptr;
}

int zmChatLabelInitFont() {
  ZmLabelList& labels = zmViewParts().labels;
  if (labels.chatFont == nullptr)
    labels.chatFont = zmNewFontObj("FixedSys", 12, kChatBackground, RGB(0, 0, 0),
                                   ZM_LABEL_STYLE_BACKGROUND | ZM_FONT_PATTERN_BRUSH);
  return labels.chatFont != nullptr ? 0 : -1;
}

void zmChatLabelExitFont() {
  ZmLabelList& labels = zmViewParts().labels;
  zmDeleteFontObj(labels.chatFont);
  labels.chatFont = nullptr;
}

// ---- Chat and scouter ----------------------------------------------------------

void zmChatLabelSay(ZmObj* object, const char* text) {
  if (object == nullptr || text == nullptr) return;
  if (ZmWorld* world = zmGetCurrentWorld(); world != nullptr && object == world->person) return;
  if (ZmLabel* label = zmFindObjLabel(object, ZM_LABEL_CHAT)) {
    if (std::strcmp(zmLabelText(label), text) != 0) say(label, text, ZM_CHAT_LABEL_RENEWED_LIFE);
    return;
  }
  ZmLabel* label = newLabel(object, firstShapeLeaf(object), labels().chatFont, ZM_LABEL_CHAT);
  if (label == nullptr) return;
  label->geometry = ZM_LABEL_AT_TOP;
  label->flags |= ZM_LABEL_FOLLOW;
  say(label, text, ZM_CHAT_LABEL_LIFE);
}

int zmScouterOn() {
  ZmLabelList& labels = zmViewParts().labels;
  const int previous = labels.scouter;
  labels.scouter = 1;
  return previous;
}

int zmScouterOff() {
  ZmLabelList& labels = zmViewParts().labels;
  const int previous = labels.scouter;
  labels.scouter = 0;
  return previous;
}

LRESULT zmScouterMouseMove(HWND, UINT, WPARAM, LPARAM lParam) {
  ZmLabelList& labels = zmViewParts().labels;
  ZmWorld* world = zmGetCurrentWorld();
  if (labels.scouter != 1 || world == nullptr) return 0;
  labels.scouterLabel = scout(world, lParam);
  return 0;
}

ZmObj* zmGetObjComment(ZmObj* object) {
  if (object == nullptr) zmReportWarning("zmGetObjComment: parameter is NULL");
  return firstUpwardsWith(object, 3);
}

ZmObj* zmGetObjName(ZmObj* object) {
  if (object == nullptr) zmReportWarning("zmGetObjName: parameter is NULL");
  return firstUpwardsWith(object, 1);
}

// ---- Every tick and every frame --------------------------------------------------

void zmLabelUpdate() {
  for (ZmLabel* label = labels().first, *next = nullptr; label != nullptr; label = next) {
    next = label->next;
    if (expired(label))
      removeLabel(label);
    else if ((label->flags & ZM_LABEL_FROZEN) == 0 && (label->flags & ZM_LABEL_FOLLOW) != 0)
      place(label);
  }
}

void zmScouterDraw(HDC dc) {
  for (const ZmLabel* label = labels().first; label != nullptr; label = label->next)
    if (label->placed == 1) draw(dc, label);
}

int zmLabelWinSetObjPos(ZmWorld* world, ZmObj* object, POINT* point, int32_t geometry) {
  if (geometry < ZM_LABEL_AT_CENTRE || geometry > ZM_LABEL_AT_BOTTOM) {
    zmReportWarning("zmLabelWinSetObjPos: unknown geometry");
    return -1;
  }
  const ZmBoundingCube* cube = zmGetObjBoundingCube(object);
  if (cube == nullptr) return -1;
  const ZmVec3& low = cube->local_min;
  const ZmVec3& high = cube->local_max;
  const float heights[] = {(low.y + high.y) / 2, high.y, low.y};
  const ZmVec3 own{(low.x + high.x) / 2, heights[geometry], (low.z + high.z) / 2};
  ZmVec3 inWorld;
  zmRTTransformPoint(zmGetWRT(object), &own, &inWorld);
  const float at[3] = {inWorld.x, inWorld.y, inWorld.z};
  return viewPointOf(world, at, point) ? 0 : -1;
}

void zmLabelHideAll() {
  ZmLabelList& labels = zmViewParts().labels;
  labels.shown = 0;
  for (ZmLabel* label = labels.first; label != nullptr; label = label->next) label->flags |= ZM_LABEL_FROZEN;
}

void zmLabelShowAll() {
  ZmLabelList& labels = zmViewParts().labels;
  labels.shown = 1;
  for (ZmLabel* label = labels.first; label != nullptr; label = label->next) label->flags &= ~ZM_LABEL_FROZEN;
}

void zmDeleteObjLabels(ZmObj* object) {
  for (ZmLabel* label = labels().first, *next = nullptr; label != nullptr; label = next) {
    next = label->next;
    if (label->object == object) removeLabel(label);
  }
}

// ---- Readers ------------------------------------------------------------------------

ZmLabel* zmFirstLabel() { return labels().first; }

ZmLabel* zmFindObjLabel(ZmObj* object, int32_t kind) {
  for (ZmLabel* label = labels().first; label != nullptr; label = label->next)
    if (label->object == object && label->kind == kind) return label;
  return nullptr;
}

ZmLabel* zmCurrentScouterLabel() { return labels().scouterLabel; }

const char* zmLabelText(const ZmLabel* label) {
  const ZmTextMsg* msg = label->textBuf->firstMsg;
  return msg != nullptr && msg->text != nullptr ? msg->text : "";
}
