#include "ui/backend/win32/win32_window_screenshot.h"

#include <windows.h>

#include <vector>

#include "base/utf.h"
#include "ui/backend/win32/gdiplus_canvas.h"
#include "ui/core/window.h"
#include "ui/paint/paint_list.h"

namespace ui {

namespace {

// The class id of GDI+'s PNG encoder; false when GDI+ has none.
bool PngEncoder(CLSID* clsid) {
  UINT count = 0;
  UINT bytes = 0;
  if (Gdiplus::GetImageEncodersSize(&count, &bytes) != Gdiplus::Ok || bytes == 0) return false;
  std::vector<BYTE> buffer(bytes);
  auto* encoders = reinterpret_cast<Gdiplus::ImageCodecInfo*>(buffer.data());
  if (Gdiplus::GetImageEncoders(count, bytes, encoders) != Gdiplus::Ok) return false;
  for (UINT i = 0; i < count; ++i) {
    if (encoders[i].MimeType && std::wstring(encoders[i].MimeType) == L"image/png") {
      *clsid = encoders[i].Clsid;
      return true;
    }
  }
  return false;
}

std::wstring Wide(const std::string& utf8) {
  const std::u16string text = nbase::Utf8ToUtf16(utf8);
  return std::wstring(text.begin(), text.end());
}

}  // namespace

std::unique_ptr<Gdiplus::Bitmap> Win32WindowScreenshot::Render(Window* window,
                                                               GdiplusImageCache* images) {
  if (!window) return nullptr;
  window->LayoutIfNeeded();
  const Size size = window->GetClientSize();
  if (size.cx <= 0 || size.cy <= 0) return nullptr;
  auto bitmap = std::make_unique<Gdiplus::Bitmap>(size.cx, size.cy, PixelFormat32bppPARGB);
  if (bitmap->GetLastStatus() != Gdiplus::Ok) return nullptr;
  std::unique_ptr<GdiplusImageCache> own_images;
  if (!images) {
    own_images = std::make_unique<GdiplusImageCache>();
    images = own_images.get();
  }
  {
    GdiplusCanvas canvas(bitmap.get(), images);
    canvas.Clear(0);
    PaintList list;
    window->Paint(&list);
    list.Execute(&canvas);
  }
  return bitmap;
}

bool Win32WindowScreenshot::WritePng(Gdiplus::Bitmap* bitmap, const std::string& path) {
  CLSID png{};
  if (!bitmap || path.empty() || !PngEncoder(&png)) return false;
  const std::wstring target = Wide(path);
  const std::wstring temp = target + L".part";
  if (bitmap->Save(temp.c_str(), &png, nullptr) != Gdiplus::Ok) {
    DeleteFileW(temp.c_str());
    return false;
  }
  if (!MoveFileExW(temp.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING)) {
    DeleteFileW(temp.c_str());
    return false;
  }
  return true;
}

bool Win32WindowScreenshot::RenderToPng(Window* window, const std::string& path,
                                        GdiplusImageCache* images) {
  std::unique_ptr<Gdiplus::Bitmap> bitmap = Render(window, images);
  return bitmap && WritePng(bitmap.get(), path);
}

}  // namespace ui
