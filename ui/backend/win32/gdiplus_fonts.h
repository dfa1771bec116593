// GdiplusFonts: the skin's fonts as GDI+ fonts, and the one way text is laid
// out, so that what the measurer measures is what the canvas draws.
//
// Faces: "system" (and an empty face) is the Windows UI face, "Microsoft
// YaHei", where it is installed; else a CJK sans face that is, "WenQuanYi
// Micro Hei" first (Wine takes it from the host's fonts), else GDI+'s
// generic sans serif. Any other face is used as named when installed and is
// the system face otherwise, so Chinese text always has glyphs. Sizes are
// pixels (the em height; the style sheet has applied the DPI scale).
//
// Fonts are created once per (face, size, style) and kept for the process.
// GDI+ must be started. UI thread only.
#pragma once

#include <cstdint>
#include <string>

#include "ui/backend/win32/gdiplus_include.h"
#include "ui/core/text_measurer.h"

namespace ui {

class GdiplusFonts {
 public:
  // The installed face the skin's `face` is drawn with.
  static std::u16string ResolveFace(const std::u16string& face);
  // The font of `wanted`; never null (a font that cannot be made falls back to
  // GDI+'s generic sans serif at the same size).
  static Gdiplus::Font* Get(const FontSpec& wanted);
  // The layout of every text: no padding around it (the typographic
  // format), trailing blanks measured, no line wrap unless `wrap`; with
  // `ellipsis` a line cut at the right edge ends in "...". The caller sets
  // the alignment. Owned by the caller.
  static Gdiplus::StringFormat* NewFormat(bool wrap, bool ellipsis);
  // What the text looks like on one line: line breaks become blanks.
  static std::wstring SingleLineText(std::u16string_view text);
  // How text is rasterised (grey-scale antialiasing: the layered window and
  // screenshots keep their alpha).
  static constexpr Gdiplus::TextRenderingHint kRenderingHint = Gdiplus::TextRenderingHintAntiAlias;
  // Drops every font (tests; GDI+ shutting down).
  static void Clear();
};

}  // namespace ui
