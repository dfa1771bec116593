#include "ui/core/image_step_builder.h"

#include <algorithm>

#include "ui/core/dpi_scale.h"
#include "ui/skin/image_description.h"
#include "ui/skin/resource_loader.h"

namespace ui {

namespace {

Rect ToRect(const ImageRect& r) { return Rect{r.left, r.top, r.right, r.bottom}; }

}  // namespace

bool ImageStepBuilder::Build(const std::u16string& description, const std::u16string& layout_path,
                             const Rect& rect, ImageStep* step) {
  ImageDescription image;
  if (!ImageDescription::Parse(description, &image) || image.file.empty()) return false;
  Rect dest = rect;
  if (image.has_dest) {
    const Rect d = image.dest_scale ? DpiScale::ScaleRect(ToRect(image.dest)) : ToRect(image.dest);
    dest = Rect{rect.left + d.left, rect.top + d.top, rect.left + d.right, rect.top + d.bottom};
  }
  if (dest.IsEmpty()) return false;
  step->path = layout_path.empty() ? ResourceLoader::NormalizePath(image.file)
                                   : ResourceLoader::ResolveRelative(layout_path, image.file);
  step->has_source = image.has_source;
  step->source = image.has_source ? ToRect(image.source) : Rect();
  const Rect corners = image.has_corner ? ToRect(image.corner) : Rect();
  step->source_corners = corners;
  step->dest_corners = DpiScale::ScaleRect(corners);
  step->dest = dest;
  step->opacity = std::clamp(image.fade, 0, 255) / 255.0;
  return true;
}

}  // namespace ui
