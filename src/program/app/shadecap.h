// CShadeCapFrame: a frame window that paints its own caption, shaded from
// black at the left to the caption colour at the right.
#pragma once

#include "framework.h"

#include <vector>

// One band of the shaded caption: from x, up to the next band's x.
struct CaptionBand {
  int x;
  COLORREF colour;
};
// The bands of an active caption width pixels wide, left to right: black
// first, the shaded bands, then the caption colour from five sixths on.
std::vector<CaptionBand> ShadedCaptionBands(int width, COLORREF colour);
// Lightness on the 0 to 240 scale.
int ColourLightness(COLORREF colour);

class CShadeCapFrame : public kwf::Window {
 public:
  ~CShadeCapFrame() override;

 protected:
  LRESULT OnMessage(UINT msg, WPARAM wParam, LPARAM lParam) override;

 private:
  RECT CaptionRect() const;  // window coordinates
  void DropCache();
  HBITMAP BuildCaption(bool active, const RECT& caption);
  void PaintCaption();
  LRESULT WithoutVisible(UINT msg, WPARAM wParam, LPARAM lParam);

  HFONT captionFont_ = nullptr;
  HFONT titleFont_ = nullptr;
  HBITMAP bitmaps_[2] = {nullptr, nullptr};  // inactive, active
  RECT cachedFor_ = {};
  bool active_ = true;
};
