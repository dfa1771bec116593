// Executing a paint list: steps reach the canvas in order, a border becomes
// its bars, and an image marked `otherwise` draws only after an image that
// drew nothing.
#include "ui/paint/paint_list.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "ui/paint/paint_canvas.h"

namespace ui {
namespace {

std::string R(const Rect& r) {
  return std::to_string(r.left) + "," + std::to_string(r.top) + "," + std::to_string(r.right) +
         "," + std::to_string(r.bottom);
}

// Writes down what it is asked to draw; images whose path starts with
// "absent" are not found.
class RecordingCanvas : public PaintCanvas {
 public:
  void PushClip(const Rect& rect) override { calls.push_back("clip " + R(rect)); }
  void PopClip() override { calls.push_back("end clip"); }
  void BeginGroup() override { calls.push_back("group"); }
  void EndGroup(double) override { calls.push_back("end group"); }
  void FillRect(const Rect& rect, uint32_t) override { calls.push_back("fill " + R(rect)); }
  bool DrawImage(const ImageStep& image) override {
    const bool found = image.path.rfind(u"absent", 0) != 0;
    calls.push_back(std::string(found ? "image " : "missing ") + R(image.dest));
    return found;
  }
  void DrawText(const TextStep& text) override { calls.push_back("text " + R(text.rect)); }
  void DrawEditText(const EditTextStep& edit) override { calls.push_back("edit " + R(edit.clip)); }

  std::vector<std::string> calls;
};

ImageStep Image(const char16_t* path, int left, bool otherwise) {
  ImageStep step;
  step.path = path;
  step.dest = Rect{left, 0, left + 10, 10};
  step.otherwise = otherwise;
  return step;
}

TEST(PaintListTest, BordersBecomeBarsAndFallbackImagesDrawOnlyAfterAFailure) {
  PaintList list;
  list.PushClip(Rect{0, 0, 100, 100});
  list.Border(Rect{10, 10, 50, 40}, Rect{1, 2, 3, 0}, 0xFF000000);
  list.Image(Image(u"state.png", 0, false));
  list.Image(Image(u"normal.png", 10, true));  // the state image drew: skipped
  list.Image(Image(u"absent.png", 20, false));
  list.Image(Image(u"normal.png", 30, true));  // the state image is absent: drawn
  list.Image(Image(u"absent2.png", 40, true));  // the one before drew: skipped
  list.BeginGroup();
  list.EndGroup(0.5);
  list.PopClip();
  RecordingCanvas canvas;
  list.Execute(&canvas);
  EXPECT_EQ(canvas.calls,
            (std::vector<std::string>{"clip 0,0,100,100", "fill 10,10,50,12", "fill 10,12,11,40",
                                      "fill 47,12,50,40", "image 0,0,10,10", "missing 20,0,30,10",
                                      "image 30,0,40,10", "group", "end group", "end clip"}));
}

}  // namespace
}  // namespace ui
