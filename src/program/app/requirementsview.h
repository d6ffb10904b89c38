// CRequirementsView: the Requirements tab, what the target machine must
// offer (systems and their minimum versions, processor, coprocessor,
// colours, resolution) and which applications must not be running.
#pragma once

#include "formpage.h"

#include <string>

class CRequirementsView : public CFormPage {
 public:
  enum : int {
    kWinNT = 3840, kWin95 = 3841, kWin32s = 3842,
    kNTMajor = 3856, k95Major = 3857, kWin32sMajor = 3858,
    kNTMinor = 3859, k95Minor = 3860, kWin32sMinor = 3861,
    kColors = 3872, kResolution = 3873, kCpu = 3874, kMath = 3888, kCheckApps = 3920,
  };
  // Bits of the required systems.
  enum : uint16_t { kSysWinNT = 0x02, kSysWin95 = 0x04, kSysWin32s = 0x08 };

  CRequirementsView() : CFormPage(IDD_REQUIREMENTS) {}

  // A version from the texts of its edit pair: major in the high byte; a
  // one-digit minor without a leading zero counts in tenths ("5" is 50).
  static uint16_t VersionFromText(const char* major, const char* minor);

  // Overridables
  // Also relabels and locks the controls for the platform on every update.
  void UpdateFromProject(CKitwrightProject* project, uint32_t hint) override;

 protected:
  bool OnInitDialog() override;
  bool OnCommand(WORD id, WORD code, HWND control) override;
  void Fill() override;

 private:
  void ReadVersions();
  void AdjustToPlatform();
  std::string ntText_;
};
