// The property sheets of the main window and of the build commands:
//   CConfigSheet        Options: CConfigGeneral and CConfigExtensions
//   CDiskSizeDialog     Build Options with its one page CDiskSizePropPage
// The pages read the settings or the project's value on opening and store
// them on OK and Apply; the callers act on what changed.
#pragma once

#include "framework.h"

#include <cstdint>

class CIKitwrightExtension;

class CConfigGeneral : public kwf::PropPage {
 public:
  enum : int {
    kWelcome = 6144, kLanguage = 6145, k3dBorders = 6146, kFlatToolbar = 6147, kFinished = 6148,
  };
  // flatAvailable: the common controls can draw flat toolbars.
  explicit CConfigGeneral(bool flatAvailable) : PropPage(100), flatAvailable_(flatAvailable) {}
  // The language in use as the page counts it: 1033 or 1031.
  static WORD CurrentLanguage();

 protected:
  bool OnInitDialog() override;
  bool OnCommand(WORD id, WORD code, HWND control) override;
  bool OnApply() override;

 private:
  bool flatAvailable_;
};

class CConfigExtensions : public kwf::PropPage {
 public:
  enum : int { kList = 101, kAdd = 201, kRemove = 202, kAbout = 203 };
  explicit CConfigExtensions(CIKitwrightExtension* extensions)
      : PropPage(102), extensions_(extensions) {}

 protected:
  bool OnInitDialog() override;
  bool OnCommand(WORD id, WORD code, HWND control) override;

 private:
  CIKitwrightExtension* extensions_;
};

class CConfigSheet : public kwf::PropSheet {
 public:
  CConfigSheet(bool flatAvailable, CIKitwrightExtension* extensions);
  CConfigGeneral& General() { return general_; }
  CConfigExtensions& Extensions() { return extensions_; }

 private:
  CConfigGeneral general_;
  CConfigExtensions extensions_;
};

// Fills a combo box with the disk size table (texts of the resource
// library, capacities as item data) and selects the entry of capacity,
// the 1.44 MB one when none matches.
void FillDiskSizeCombo(HWND combo, uint32_t capacity);
// The capacity of the combo box's selection; fallback without one.
uint32_t SelectedDiskSize(HWND combo, uint32_t fallback);

class CDiskSizePropPage : public kwf::PropPage {
 public:
  enum : int { kCombo = 101 };
  explicit CDiskSizePropPage(uint32_t capacity) : PropPage(42), capacity(capacity) {}
  // In: the project's capacity; out after OK: the chosen one.
  uint32_t capacity;

 protected:
  bool OnInitDialog() override;
  bool OnApply() override;
};

class CDiskSizeDialog : public kwf::PropSheet {
 public:
  explicit CDiskSizeDialog(uint32_t capacity);
  CDiskSizePropPage& Page() { return page_; }
  uint32_t Capacity() const { return page_.capacity; }

 private:
  CDiskSizePropPage page_;
};
