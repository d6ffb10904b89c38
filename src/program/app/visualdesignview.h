// CVisualDesignView: the Visual Design tab, how the generated setup looks
// while it runs: its title, title bar, background colours, and a minimum
// installation time.
//   CVisualDesignView::CColorStatic  a colour button the view paints over
#pragma once

#include "formpage.h"

class CVisualDesignView : public CFormPage {
 public:
  enum : int {
    kTitle = 3328, kTitleBar = 3329, kGradient = 3330, kSolid = 3331, kFrom = 3332, kTo = 3333,
    kLengthen = 3334, kSeconds = 3335,
  };

  // A control that draws nothing itself and takes clicks as a button; the
  // view paints its colour swatch over it.
  class CColorStatic {
   public:
    CColorStatic() = default;
    ~CColorStatic();
    CColorStatic(const CColorStatic&) = delete;
    CColorStatic& operator=(const CColorStatic&) = delete;

    HWND Handle() const { return hwnd_; }
    // Subclasses the control; it is released when the control goes.
    void Attach(HWND control);

   private:
    static LRESULT CALLBACK Proc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
    void Detach();
    HWND hwnd_ = nullptr;
    WNDPROC oldProc_ = nullptr;
  };

  CVisualDesignView() : CFormPage(IDD_VISUALDESIGN) {}

  // Attributes
  // The area of a swatch (kFrom or kTo) in the page's coordinates.
  RECT SwatchRect(int id) const;

 protected:
  bool OnInitDialog() override;
  bool OnCommand(WORD id, WORD code, HWND control) override;
  bool OnMessage(UINT msg, WPARAM wParam, LPARAM lParam, INT_PTR* result) override;
  void Fill() override;

 private:
  void InvalidateSwatch(int id);
  void PickColor(int id);
  void Paint(HDC dc);

  CColorStatic from_;
  CColorStatic to_;
};
