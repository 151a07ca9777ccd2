#include "iplug/igraphics/IGraphics.h"

#include <charconv>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstring>

#include "drawing/lice_draw.h"
#include "drawing/lice_text.h"
#include "iplug/igraphics/IControl.h"
#include "iplug/core/IPlugBase.h"
#include "iplug/core/IPlugMutex.h"
#include "iplug/core/IPlugParameter.h"

// ---------------------------------------------------------------------------------------------
// Blends

int IBlendSpec::LiceMode() const {
  switch (method) {
    case kBlendCopy: return LICE_BLIT_MODE_COPY;
    case kBlendAdd: return LICE_BLIT_MODE_ADD | LICE_BLIT_USE_ALPHA;
    case kBlendColourDodge: return LICE_BLIT_MODE_DODGE | LICE_BLIT_USE_ALPHA;
    default: return LICE_BLIT_MODE_COPY | LICE_BLIT_USE_ALPHA;
  }
}

int LiceBlendMode(const IBlendSpec* blend) { return blend ? blend->LiceMode() : LICE_BLIT_USE_ALPHA; }

float LiceBlendWeight(const IBlendSpec* blend) { return blend ? blend->weight : 1.0f; }

// ---------------------------------------------------------------------------------------------
// The process-wide caches. Entries are only appended while the module is loaded; at unload each
// cache deletes what it holds, then its entries, then its lock.

namespace {

struct BitmapCacheEntry {
  int id;
  LICE_IBitmap* bitmap;
  ~BitmapCacheEntry() { delete bitmap; }
};

struct FontCacheEntry {
  int size, orientation, style;
  char face[ITextStyle::kFaceSize];
  LICE_CachedFont* font;
  ~FontCacheEntry() { delete font; }
};

template <class Entry>
struct ProcessCache {
  PlugMutex mutex;  // declared first: destroyed after the entries
  PointerList<Entry> entries{4096};
};

ProcessCache<BitmapCacheEntry>& BitmapCache() {
  static ProcessCache<BitmapCacheEntry> cache;
  return cache;
}

ProcessCache<FontCacheEntry>& FontCache() {
  static ProcessCache<FontCacheEntry> cache;
  return cache;
}

// Caches are created before main runs, as when the module loads, so that the first lookups of
// two threads never race on their construction.
struct CacheStartup {
  CacheStartup() {
    BitmapCache();
    FontCache();
  }
} gCacheStartup;

LICE_IBitmap* FindCachedBitmap(int id) {
  ProcessCache<BitmapCacheEntry>& cache = BitmapCache();
  PlugLock lock(&cache.mutex);
  for (int i = 0; i < cache.entries.GetSize(); ++i) {
    const BitmapCacheEntry* e = cache.entries.Get(i);
    if (e->id == id && e->bitmap) return e->bitmap;
  }
  return nullptr;
}

bool FontMatches(const FontCacheEntry* e, const ITextStyle& style) {
  return e->size == style.size && e->orientation == style.orientation && e->style == style.style &&
         std::strncmp(e->face, style.face, ITextStyle::kFaceSize) == 0;
}

// Text flags: one line, vertically centred, not clipped, aligned as the style says.
int TextFlags(const ITextStyle& style) {
  int flags = LICE_DT_SINGLELINE | LICE_DT_VCENTER | LICE_DT_NOCLIP;
  if (style.align == ITextStyle::kAlignCenter) flags |= LICE_DT_CENTER;
  else if (style.align != ITextStyle::kAlignNear) flags |= LICE_DT_RIGHT;
  if ((style.colour.alpha & 0xFF) != 255) flags |= TextFlagColourAlpha;
  return flags;
}

// The whole text, after optional blanks, must be one finite decimal number (locale-independent).
bool ParseFiniteNumber(const char* text, double* out) {
  if (!text) return false;
  while (*text && std::isspace(static_cast<unsigned char>(*text))) ++text;
  const char* end = text + std::strlen(text);
  while (end > text && std::isspace(static_cast<unsigned char>(end[-1]))) --end;
  const char* p = text;
  if (p < end && *p == '+') {
    ++p;
    if (p < end && *p == '-') return false;
  }
  double value = 0.0;
  const std::from_chars_result r = std::from_chars(p, end, value, std::chars_format::general);
  if (r.ec != std::errc() || r.ptr != end || p == end || !std::isfinite(value)) return false;
  *out = value;
  return true;
}

bool Overlaps(const IRectangle& a, const IRectangle& c) {
  return a.right >= c.left && a.left < c.right && a.bottom >= c.top && a.top < c.bottom;
}

}  // namespace

// ---------------------------------------------------------------------------------------------
// Construction

IGraphics::IGraphics(IPlugBase* plug, int width, int height, int frameRate)
    : mPlug(plug), mWidth(width), mHeight(height), mFrameRate(frameRate > 0 ? frameRate : 25) {}

IGraphics::~IGraphics() {
  delete mKeyCatcher;
  mKeyCatcher = nullptr;
  mControls.DeleteAll();
  DeleteDrawBitmaps();
}

void IGraphics::CreateDrawBitmaps() {
  DeleteDrawBitmaps();
  mDrawBitmap = new LICE_SysBitmap(mWidth, mHeight);
  mScratchBitmap = new LICE_MemBitmap();
}

void IGraphics::DeleteDrawBitmaps() {
  delete mDrawBitmap;
  mDrawBitmap = nullptr;
  delete mScratchBitmap;
  mScratchBitmap = nullptr;
}

bool IGraphics::IsWindowOpen() { return GetWindowHandle() != nullptr; }

const char* IGraphics::GetDrawingApiName() { return ""; }

void IGraphics::Resize(int width, int height) {
  mWidth = width;
  mHeight = height;
  ReleaseMouseCapture();
  mMouseOverControl = -1;
  mControls.DeleteAll();
  DeleteDrawBitmaps();
  CreateDrawBitmaps();
  if (mPlug) mPlug->ResizeEditor(width, height);
}

void IGraphics::OnIdle() {
  if (mPlug) mPlug->IdleTick();
  for (int i = 0; i < NControls(); ++i) GetControl(i)->OnIdle();
}

void IGraphics::SetKeyCatcher(IControl* control) {
  if (control == mKeyCatcher) return;
  delete mKeyCatcher;
  mKeyCatcher = control;
}

// ---------------------------------------------------------------------------------------------
// Controls and bitmaps

int IGraphics::AddControl(IControl* control) {
  if (!control) return -1;
  if (!mControls.Add(control)) {
    delete control;
    return -1;
  }
  return NControls() - 1;
}

IControl* IGraphics::AddBackground(int resourceId, const char* name) {
  const IFrameBitmap bitmap = LoadFrameBitmap(resourceId, name, 1, false);
  IControl* control = new IBitmapControl(mPlug, 0, 0, -1, bitmap, IBlendSpec::kBlendCopy);
  if (!mControls.Insert(control, 0)) {
    delete control;
    return nullptr;
  }
  return control;
}

void IGraphics::RegisterCachedBitmap(LICE_IBitmap* bitmap, int resourceId) {
  ProcessCache<BitmapCacheEntry>& cache = BitmapCache();
  BitmapCacheEntry* entry = new BitmapCacheEntry{resourceId, bitmap};
  PlugLock lock(&cache.mutex);
  if (!cache.entries.Add(entry)) {
    entry->bitmap = nullptr;  // the caller keeps using the bitmap; it stays alive uncached
    delete entry;
  }
}

IFrameBitmap IGraphics::LoadFrameBitmap(int resourceId, const char* name, int frames, bool horizontal) {
  LICE_IBitmap* bitmap = FindCachedBitmap(resourceId);
  if (!bitmap) {
    // Decoded outside the lock: two editors that miss at once may both decode and append;
    // lookups then find the first entry.
    bitmap = LoadResourceBitmap(resourceId, name);
    const bool imgResourceFound = bitmap != nullptr;
    PLUG_ASSERT(imgResourceFound, "igraphics", 441);
    if (!imgResourceFound) return IFrameBitmap(nullptr, 0, 0, frames, horizontal);
    RegisterCachedBitmap(bitmap, resourceId);
  }
  return IFrameBitmap(bitmap, bitmap->GetWidth(), bitmap->GetHeight(), frames, horizontal);
}

// ---------------------------------------------------------------------------------------------
// Values from parameters to controls

void IGraphics::UpdateControlsOfParam(int paramIndex, double value, bool normalized) {
  IPlugParameter* param = mPlug ? mPlug->GetParam(paramIndex) : nullptr;
  if (!param) return;
  if (!normalized) value = param->ToNormalized(value);
  for (int i = 0; i < NControls(); ++i) {
    IControl* control = GetControl(i);
    if (control->ParamIdx() == paramIndex) control->ApplyPlugValue(value);
    for (int k = 0; k < control->NAuxParams(); ++k) {
      if (control->AuxParamIdx(k) == paramIndex) {
        control->ApplyAuxPlugValue(k, value);
        break;
      }
    }
  }
}

void IGraphics::UpdateControlValue(int controlIndex, double value) {
  if (IControl* control = GetControl(controlIndex)) control->ApplyPlugValue(value);
}

void IGraphics::MarkAllControlsChanged() {
  for (int i = 0; i < NControls(); ++i) GetControl(i)->MarkChanged(false);
}

void IGraphics::GrayControlsOfParam(int paramIndex, bool gray) {
  for (int i = 0; i < NControls(); ++i) {
    if (GetControl(i)->ParamIdx() == paramIndex) GetControl(i)->SetGrayed(gray);
  }
}

void IGraphics::HideControlsOfParam(int paramIndex, bool hide) {
  for (int i = 0; i < NControls(); ++i) {
    if (GetControl(i)->ParamIdx() == paramIndex) GetControl(i)->SetHidden(hide);
  }
}

void IGraphics::HideControl(int controlIndex, bool hide) {
  if (IControl* control = GetControl(controlIndex)) control->SetHidden(hide);
}

// ---------------------------------------------------------------------------------------------
// Value entry

void IGraphics::PromptParamInput(IControl* control, IPlugParameter* param, const IRectangle* rect) {
  if (!control || !param || !rect) return;
  const ParamKind kind = param->Kind();
  const int nTexts = param->CountDisplayTexts();
  if (kind == kParamEnumeration || (kind == kParamBoolean && nTexts > 0)) {
    char current[kParamTextSize];
    param->FormatValueText(param->Value(), false, current, true);
    IMenuList menu;  // frees its entries once, when it goes out of scope
    for (int i = 0; i < nTexts; ++i) {
      const char* text = param->FindDisplayText(i);
      menu.AddEntry(text, -1, std::strcmp(text, current) == 0 ? IMenuEntry::kChecked : 0);
    }
    IMenuList* chosen = ShowPopupMenu(&menu, *rect);
    if (chosen && chosen->GetChosenIndex() >= 0) {
      const double value = param->ToNormalized(chosen->GetChosenIndex());
      if (value != control->GetValue()) {
        const bool opened = BeginGesture(control->ParamIdx());
        control->ApplyUserValue(value);
        if (opened) EndGesture();
      }
    }
    return;
  }
  double value = param->Value();
  if (param->GetNegateDisplay()) value = -value;
  char text[64];
  if (param->GetPrecision() != 0) {
    std::snprintf(text, sizeof text, "%.*f", param->GetPrecision(), value);
  } else {
    std::snprintf(text, sizeof text, "%d", ClampToInt(value));
  }
  // The box takes the keyboard and the mouse: the button that opened it may never come up
  // here, so the capture and its gesture end now; the typed value is a gesture of its own.
  ReleaseMouseCapture();
  OpenTextEntry(control, control->GetTextStyle(), *rect, text, param);
}

void IGraphics::CommitTextEntry(IControl* control, IPlugParameter* param, const char* text) {
  if (!control) return;
  if (!param) {
    control->TakeEnteredText(text ? text : "");
    return;
  }
  double value = 0.0;
  const ParamKind kind = param->Kind();
  if (kind == kParamBoolean || kind == kParamEnumeration) {
    for (int i = 0; i < param->CountDisplayTexts(); ++i) {
      const DisplayTextEntry* entry = param->GetDisplayTextEntry(i);
      if (text && std::strcmp(entry->mText, text) == 0) {
        value = entry->mValue;
        break;
      }
    }
  } else {
    if (!ParseFiniteNumber(text, &value)) return;  // the old value stays
    if (param->GetNegateDisplay()) value = -value;
  }
  const bool opened = BeginGesture(control->ParamIdx());
  control->ApplyUserValue(param->ToNormalized(value));
  if (opened) EndGesture();
}

// ---------------------------------------------------------------------------------------------
// The draw pass

bool IGraphics::Draw(const IRectangle& rect) {
  const int n = NControls();
  if (n == 0) return true;

  if (mDrawAllInRect) {
    mDrawRECT = rect;
    for (int i = 0; i < n; ++i) {
      IControl* control = GetControl(i);
      const IRectangle area = control->GetDrawArea();
      const bool inside = !rect.Empty() && !area.Empty() && Overlaps(rect, area);
      control->SnapshotMarks();
      if (inside && !control->IsHidden()) control->Draw(this);
      // A control entirely outside the area keeps its marks (it may have been marked after the
      // area was collected): a later pass draws it, or repaints where it was hidden.
      if (inside || area.Empty()) control->MarkDrawn();
    }
  } else {
    IControl* background = GetControl(0);
    if (background->NeedsRedraw()) {
      mDrawRECT = background->GetDrawArea();
      for (int i = 0; i < n; ++i) {
        IControl* control = GetControl(i);
        if (i == 0 || !control->IsHidden()) {
          control->SnapshotMarks();
          control->Draw(this);
          control->MarkDrawn();
        }
      }
    } else {
      for (int i = 1; i < n; ++i) {
        IControl* changed = GetControl(i);
        if (!changed->NeedsRedraw()) continue;
        changed->SnapshotMarks();
        mDrawRECT = changed->GetDrawArea();
        for (int j = 0; j < n; ++j) {
          IControl* control = GetControl(j);
          if (control->IsHidden()) continue;
          const IRectangle area = control->GetDrawArea();
          if (j == i || (!area.Empty() && !mDrawRECT.Empty() && Overlaps(mDrawRECT, area))) control->Draw(this);
        }
        changed->MarkDrawn();
      }
    }
  }

  if (mShowControlBounds) {
    for (int i = 1; i < n; ++i) DrawRectOutline(GetControl(i)->GetRECT());
    char text[32];
    std::snprintf(text, sizeof text, "x: %i, y: %i", mMouseX, mMouseY);
    ITextStyle style(20, ControlBoundsColour);
    IRectangle box(mWidth - 150, mHeight - 20, mWidth, mHeight);
    DrawTextInRect(&style, text, &box);
  }
  return PaintToScreen(rect);
}

bool IGraphics::CollectDirtyRect(IRectangle* out) {
  if (mShowControlBounds) {
    *out = mDrawRECT;
    return true;
  }
  *out = IRectangle();
  bool dirty = false;
  for (int i = 0; i < NControls(); ++i) {
    IControl* control = GetControl(i);
    if (control->NeedsRedraw()) {
      *out = out->Empty() ? control->GetDrawArea() : UnionRect(*out, control->GetDrawArea());
      dirty = true;
    }
  }
  return dirty;
}

bool IGraphics::TickDirtyRect(IRectangle* out) {
  if (!CollectDirtyRect(out)) {
    if (++mIdleTicks > kIdleTicks) {
      OnIdle();
      mIdleTicks = 0;
    }
    return false;
  }
  if (!mShowControlBounds) mIdleTicks = 0;
  return true;
}

// ---------------------------------------------------------------------------------------------
// Drawing operations

bool IGraphics::DrawBitmapRect(const IFrameBitmap* bitmap, const IRectangle& dest, int srcX, int srcY,
                               const IBlendSpec* blend) {
  if (!bitmap || !bitmap->bitmap || !mDrawBitmap) return true;
  const IRectangle c = dest.Intersect(mDrawRECT);
  if (c.Empty()) return true;
  const LICE_Rect src = {srcX + c.left - dest.left, srcY + c.top - dest.top, srcX + c.right - dest.left,
                         srcY + c.bottom - dest.top};
  LICE_BlitRect(mDrawBitmap, bitmap->bitmap, c.left, c.top, &src, LiceBlendWeight(blend), LiceBlendMode(blend));
  return true;
}

bool IGraphics::DrawBitmapFrame(const IFrameBitmap* bitmap, const IRectangle& rect, int frame,
                                const IBlendSpec* blend) {
  if (!bitmap) return true;
  const int n = bitmap->frames;
  int offset = 0;
  if (n >= 2 && frame >= 2) {
    const int size = bitmap->horizontal ? bitmap->width : bitmap->height;
    offset = ClampToInt(static_cast<double>(size) * (frame - 1) / n + 0.5);
  }
  return bitmap->horizontal ? DrawBitmapRect(bitmap, rect, offset, 0, blend)
                            : DrawBitmapRect(bitmap, rect, 0, offset, blend);
}

bool IGraphics::DrawLineF(const IArgbColour& colour, float x1, float y1, float x2, float y2,
                          const IBlendSpec* blend, bool antialias) {
  if (!mDrawBitmap) return true;
  LICE_DrawLine(mDrawBitmap, ClampToInt(x1), ClampToInt(y1), ClampToInt(x2), ClampToInt(y2), colour.Packed(),
                LiceBlendWeight(blend), LiceBlendMode(blend), antialias);
  return true;
}

bool IGraphics::DrawRectOutline(const IRectangle& r) {
  const IBlendSpec copy(IBlendSpec::kBlendCopy);
  DrawLineF(ControlBoundsColour, r.left, r.top, r.right, r.top, &copy);
  DrawLineF(ControlBoundsColour, r.left, r.bottom, r.right, r.bottom, &copy);
  DrawLineF(ControlBoundsColour, r.left, r.top, r.left, r.bottom, &copy);
  DrawLineF(ControlBoundsColour, r.right, r.top, r.right, r.bottom, &copy);
  return true;
}

bool IGraphics::MeasureText(ITextStyle* style, const char* text, IRectangle* rect) {
  return DrawTextInRect(style, text, rect, true);
}

bool IGraphics::DrawTextInRect(ITextStyle* style, const char* text, IRectangle* rect, bool measure) {
  if (!text || !*text || !style || !rect) return true;
  LICE_CachedFont* font = style->font ? style->font : GetCachedFont(style);
  if (!font) return false;
  font->SetTextColor(style->colour.Packed());
  const int flags = TextFlags(*style);

  if (!measure) {
    if (mDrawBitmap) {
      LICE_Rect r = {rect->left, rect->top, rect->right, rect->bottom};
      font->DrawText(mDrawBitmap, text, -1, &r, flags);
    }
    return true;
  }

  LICE_Rect box = {0, 0, 0, 0};
  font->DrawText(nullptr, text, -1, &box, flags | LICE_DT_CALCRECT);
  const int w = box.right, h = box.bottom;
  if (style->align == ITextStyle::kAlignNear) {
    rect->right = rect->left + w;
  } else if (style->align == ITextStyle::kAlignCenter) {
    rect->left = ClampToInt((rect->left + rect->right) * 0.5) - w / 2;
    rect->right = rect->left + w;
  } else {
    rect->left = rect->right - w;
  }
  rect->bottom = rect->top + h;
  return true;
}

LICE_FontHandle IGraphics::CreateFontHandle(const ITextStyle& style) {
#ifdef _WIN32
  int quality;
  switch (style.quality) {
    case ITextStyle::kQualityDefault: quality = DEFAULT_QUALITY; break;
    case ITextStyle::kQualityAntiAliased: quality = ANTIALIASED_QUALITY; break;
    case ITextStyle::kQualityClearType: quality = CLEARTYPE_QUALITY; break;
    default: quality = NONANTIALIASED_QUALITY; break;
  }
  return CreateFontA(style.size, 0, style.orientation * 10, style.orientation * 10,
                     style.style == ITextStyle::kStyleBold ? FW_BOLD : FW_NORMAL,
                     style.style == ITextStyle::kStyleItalic, FALSE, FALSE, ANSI_CHARSET, OUT_DEFAULT_PRECIS,
                     CLIP_DEFAULT_PRECIS, quality, DEFAULT_PITCH | FF_DONTCARE, style.face);
#else
  (void)style;
  return nullptr;
#endif
}

LICE_CachedFont* IGraphics::GetCachedFont(ITextStyle* style) {
  if (!style) return nullptr;
  ProcessCache<FontCacheEntry>& cache = FontCache();
  {
    PlugLock lock(&cache.mutex);
    for (int i = 0; i < cache.entries.GetSize(); ++i) {
      const FontCacheEntry* e = cache.entries.Get(i);
      if (e->font && FontMatches(e, *style)) {
        style->font = e->font;
        return e->font;
      }
    }
  }
  // Created outside the lock; two editors that miss at once may both create and append.
  const LICE_FontHandle handle = CreateFontHandle(*style);
  if (!handle) return nullptr;
  LICE_CachedFont* font = new LICE_CachedFont();
  font->SetFromHFont(handle, FontFlagOwnsFont | FontFlagNative);
  FontCacheEntry* entry = new FontCacheEntry{style->size, style->orientation, style->style, {}, font};
  std::memcpy(entry->face, style->face, sizeof entry->face);
  entry->face[ITextStyle::kFaceSize - 1] = 0;
  {
    PlugLock lock(&cache.mutex);
    if (!cache.entries.Add(entry)) {
      delete entry;  // the font goes with it; nothing is cached
      return nullptr;
    }
  }
  style->font = font;
  return font;
}

// ---------------------------------------------------------------------------------------------
// Host gestures and the mouse capture

bool IGraphics::BeginGesture(int paramIndex) {
  if (paramIndex < 0 || !mPlug || !mPlug->GetParam(paramIndex)) return false;
  if (mGestureParam == paramIndex) return false;
  EndGesture();
  mGestureParam = paramIndex;
  mPlug->BeginInformHostOfParamChange(paramIndex);
  return true;
}

void IGraphics::EndGesture() {
  if (mGestureParam < 0) return;
  const int paramIndex = mGestureParam;
  mGestureParam = -1;
  mPlug->EndInformHostOfParamChange(paramIndex);
}

void IGraphics::DropCapture(bool resync) {
  IControl* control = GetControl(mCapturedControl);
  mCapturedControl = -1;
  mMouseX = -1;
  mMouseY = -1;
  if (!control) return;
  control->SetCaptured(false);
  // The gesture kept its own value; the control now shows what the parameter holds.
  IPlugParameter* param = resync ? control->GetParam() : nullptr;
  if (!param) return;
  double value;
  {
    PlugLock lock(mPlug->GetMutex());
    value = param->GetNormalizedValue();
  }
  control->ApplyPlugValue(value);
}

void IGraphics::ReleaseMouseCapture() {
  DropCapture(true);
  EndGesture();
}

// ---------------------------------------------------------------------------------------------
// Mouse and keys

int IGraphics::FindControlAt(int x, int y) {
  for (int i = NControls() - 1; i >= 0; --i) {
    IControl* control = GetControl(i);
    if (!control->IsHidden() && !control->IsGrayed() && control->HitTest(x, y)) return i;
  }
  return -1;
}

void IGraphics::OnMouseDown(int x, int y, const IMouseMods& mods) {
  ReleaseMouseCapture();
  const int i = FindControlAt(x, y);
  IControl* control = GetControl(i);
  if (!control) return;
  mCapturedControl = i;
  control->SetCaptured(true);
  mMouseX = x;
  mMouseY = y;
  const int paramIndex = control->ParamIdx();
  if (mPlug && mPlug->GetPluginApi() == kApiVST3 && mods.right) {
    if (paramIndex >= 0) {
      ReleaseMouseCapture();
      mPlug->ShowHostParamMenu(paramIndex, x, y);
    } else {
      control->OnMouseDown(x, y, mods);
    }
    return;
  }
  BeginGesture(paramIndex);
  control->OnMouseDown(x, y, mods);
}

void IGraphics::OnMouseUp(int x, int y, const IMouseMods& mods) {
  const int captured = mCapturedControl;
  const int i = captured >= 0 ? captured : FindControlAt(x, y);
  // The capture ends now; the control keeps its gesture value through its button-up.
  mCapturedControl = -1;
  mMouseX = -1;
  mMouseY = -1;
  if (IControl* control = GetControl(i)) control->OnMouseUp(x, y, mods);
  EndGesture();
  if (captured >= 0) {
    mCapturedControl = captured;
    DropCapture(true);
  }
}

void IGraphics::OnMouseDrag(int x, int y, const IMouseMods& mods) {
  IControl* control = GetControl(mCapturedControl);
  if (!control || (x == mMouseX && y == mMouseY)) return;
  const int dx = x - mMouseX, dy = y - mMouseY;
  mMouseX = x;
  mMouseY = y;
  control->OnMouseDrag(x, y, dx, dy, mods);
}

bool IGraphics::OnMouseDoubleClick(int x, int y, const IMouseMods& mods) {
  ReleaseMouseCapture();
  const int i = FindControlAt(x, y);
  IControl* control = GetControl(i);
  if (!control) return false;
  if (control->GetDblAsSingleClick()) {
    mCapturedControl = i;
    control->SetCaptured(true);
    mMouseX = x;
    mMouseY = y;
    BeginGesture(control->ParamIdx());  // ended by the button-up, as after a mouse-down
    control->OnMouseDown(x, y, mods);
    return true;
  }
  // No capture follows a double click: its edit is a gesture of its own.
  const bool opened = BeginGesture(control->ParamIdx());
  control->OnMouseDoubleClick(x, y, mods);
  if (opened) EndGesture();
  return false;
}

void IGraphics::OnMouseWheel(int x, int y, const IMouseMods& mods, int notches) {
  const int i = mCapturedControl >= 0 ? mCapturedControl : FindControlAt(x, y);
  IControl* control = GetControl(i);
  if (!control) return;
  const bool opened = BeginGesture(control->ParamIdx());
  control->OnMouseWheel(x, y, mods, notches);
  if (opened) EndGesture();
}

bool IGraphics::OnMouseOver(int x, int y, const IMouseMods& mods) {
  if (!mHandleMouseOver) return false;
  int i = mCapturedControl;
  if (i < 0) {
    for (int j = NControls() - 1; j >= 0; --j) {
      IControl* control = GetControl(j);
      if (!control->IsHidden() && (!control->IsGrayed() || control->GetMOWhenGrayed()) && control->HitTest(x, y)) {
        i = j;
        break;
      }
    }
  }
  IControl* control = GetControl(i);
  if (!control) return true;
  mMouseX = x;
  mMouseY = y;
  control->OnMouseOver(x, y, mods);
  if (mMouseOverControl >= 0 && mMouseOverControl != i) {
    if (IControl* previous = GetControl(mMouseOverControl)) previous->OnMouseOut();
  }
  mMouseOverControl = i;
  return true;
}

void IGraphics::OnMouseOut() {
  for (int i = 0; i < NControls(); ++i) GetControl(i)->OnMouseOut();
  mMouseOverControl = -1;
}

bool IGraphics::OnKeyDown(int x, int y, int key) {
  const int i = mCapturedControl >= 0 ? mCapturedControl : FindControlAt(x, y);
  if (i <= 0) return mKeyCatcher ? mKeyCatcher->OnKeyDown(x, y, key) : false;
  return GetControl(i)->OnKeyDown(x, y, key);
}
