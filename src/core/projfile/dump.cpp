#include "projfile/dump.h"

#include <cstdarg>
#include <cstdio>

#include "model/project.h"

namespace kw {

namespace {

class Out {
 public:
  void Line(int depth, const char* fmt, ...) {
    text_.append(static_cast<size_t>(depth) * 2, ' ');
    char buf[1024];
    va_list ap;
    va_start(ap, fmt);
    std::vsnprintf(buf, sizeof buf, fmt, ap);
    va_end(ap);
    text_ += buf;
    text_ += '\n';
  }
  std::string text_;
};

// Quotes a text so that control bytes and quotes stay visible.
std::string Q(const std::string& s) {
  std::string r = "\"";
  for (unsigned char c : s) {
    if (c == '"' || c == '\\') {
      r += '\\';
      r += static_cast<char>(c);
    } else if (c < 0x20 || c == 0x7F) {
      char b[5];
      std::snprintf(b, sizeof b, "\\x%02X", c);
      r += b;
    } else {
      r += static_cast<char>(c);
    }
  }
  return r + "\"";
}
std::string Q(const CQVString& s) { return Q(s.str()); }
std::string Q(const std::optional<std::string>& s) { return s ? Q(*s) : std::string("(none)"); }

void DumpFile(Out& o, int d, const CFileItem& f) {
  o.Line(d, "file %s flags=0x%04X dest=%s", Q(f.m_strSource).c_str(), f.m_dwFlags, Q(f.m_strDestination).c_str());
  if (f.m_bHasVersion)
    o.Line(d + 1, "version file=%08X.%08X product=%08X.%08X mask=%X flags=%X os=%X type=%X subtype=%X lang=%u cp=%u",
           f.m_dwFileVersionMS, f.m_dwFileVersionLS, f.m_dwProductVersionMS, f.m_dwProductVersionLS,
           f.m_dwFileFlagsMask, f.m_dwFileFlags, f.m_dwFileOS, f.m_dwFileType, f.m_dwFileSubtype, f.m_wLanguage,
           f.m_wCodePage);
}

void DumpKey(Out& o, int d, const CRegistryKey& k) {
  o.Line(d, "key %s root=0x%08X flags=0x%X", Q(k.m_strName).c_str(), k.m_dwRoot, k.m_dwFlags);
  for (const CRegistryValue* v = k.m_pValues; v; v = v->m_pNext) {
    std::string data;
    switch (v->m_dwType) {
      case 1: data = Q(v->m_strData); break;
      case 3:
        if (!v->m_binary) {
          data = "(none)";
        } else {
          for (uint8_t b : *v->m_binary) {
            char x[4];
            std::snprintf(x, sizeof x, "%02X", b);
            data += x;
          }
          data = "[" + data + "]";
        }
        break;
      case 4: data = std::to_string(v->m_dwNumber); break;
      default: data = "?"; break;
    }
    o.Line(d + 1, "value %s type=%u flags=0x%X data=%s", Q(v->m_name).c_str(), v->m_dwType, v->m_dwFlags,
           data.c_str());
  }
  for (const CRegistryKey* c = k.m_pChild; c; c = c->m_pNext) DumpKey(o, d + 1, *c);
}

void DumpGroup(Out& o, int d, const CProgramGroup& g) {
  o.Line(d, "group %s flags=0x%X", Q(g.m_strName).c_str(), g.m_dwFlags);
  for (const CProgramIcon* i = g.m_pIcons; i; i = i->m_pNext)
    o.Line(d + 1, "icon %s path=%s params=%s reserved=%u iconpath=%s index=%u workdir=%s", Q(i->m_strName).c_str(),
           Q(i->m_strPath).c_str(), Q(i->m_strParameters).c_str(), i->m_dwReserved, Q(i->m_strIconPath).c_str(),
           i->m_dwIconIndex, Q(i->m_strWorkingDir).c_str());
  for (const CProgramGroup* c = g.m_pChild; c; c = c->m_pNext) DumpGroup(o, d + 1, *c);
}

}  // namespace

std::string DumpProject(const CKitwrightProject& p) {
  Out o;
  o.Line(0, "magic=0x%04X version=0x%04X", p.m_wMagic, p.m_wVersion);
  o.Line(0, "product name=%s version=%s company=%s", Q(p.m_strProductName).c_str(), Q(p.m_strProductVersion).c_str(),
         Q(p.m_strCompanyName).c_str());
  o.Line(0, "setup language=%u os=%u flags=0x%08X extra=0x%08X", p.m_wSetupLanguage, p.m_wOperatingSystem, p.m_dwFlags,
         p.m_dwExtraValue);
  o.Line(0, "title=%s titlebar=%u gradient=%u from=0x%06X to=0x%06X", Q(p.m_strSetupTitle).c_str(), p.m_dwShowTitleBar,
         p.m_dwGradient, p.m_dwGradientFrom, p.m_dwGradientTo);
  o.Line(0, "requires systems=0x%X nt=0x%04X win95=0x%04X win32s=0x%04X cpu=%u colors=%u resolution=%u math=%u",
         p.m_wRequiredSystems, p.m_wMinNTVersion, p.m_wMin95Version, p.m_wMinWin32sVersion, p.m_wProcessor,
         p.m_dwColors, p.m_wResolution, p.m_dwMathCoprocessor);
  o.Line(0, "reserved text=%s value=%u time=%u", Q(p.m_strReservedText).c_str(), p.m_dwReservedValue, p.m_tReservedTime);
  o.Line(0, "installdir=%s license=%s readme=%s programfolder=%s", Q(p.m_strDefaultDir).c_str(),
         Q(p.m_strLicenseFile).c_str(), Q(p.m_strReadmeFile).c_str(), Q(p.m_strProgramFolder).c_str());
  o.Line(0, "userinfo=0x%02X password=%s checkapps=%s", p.m_dwUserInfoMask, Q(p.m_strPassword).c_str(),
         Q(p.m_strCheckApps).c_str());
  o.Line(0, "modified=%u built=%u fingerprint=0x%08X disksize=%u nextpackage=%u mininstall=%u", p.m_tModified,
         p.m_tBuilt, p.m_dwFingerprint, p.m_dwDiskSize, p.m_dwNextPackageId, p.m_dwMinInstallTime);
  for (int i = 0; i < CKitwrightProject::kBitmapCount; ++i)
    if (!p.m_strBitmaps[i].IsEmpty()) o.Line(0, "bitmap %d=%s", i, Q(p.m_strBitmaps[i]).c_str());
  o.Line(0, "common bitmap=%s", Q(p.m_strCommonBitmap).c_str());
  for (const CFileFolder* f = p.m_pPackages; f; f = f->m_pNext) {
    o.Line(0, "package %s id=%u flags=0x%04X description=%s", Q(f->m_strName).c_str(), f->m_dwId, f->m_dwFlags,
           Q(f->m_strDescription).c_str());
    for (const CFileItem* i = f->m_pFiles; i; i = i->m_pNext) DumpFile(o, 1, *i);
  }
  if (p.m_pRegistry) DumpKey(o, 0, *p.m_pRegistry);
  if (p.m_pGroups) DumpGroup(o, 0, *p.m_pGroups);
  if (p.m_pIniFiles) {
    o.Line(0, "inifiles flags=0x%X", p.m_pIniFiles->m_dwFlags);
    for (const CIniFile* f : p.m_pIniFiles->m_files.Items()) {
      o.Line(1, "inifile %s flags=0x%X", Q(f->m_strName).c_str(), f->m_dwFlags);
      for (const CIniSection* s : f->m_sections.Items()) {
        o.Line(2, "section %s flags=0x%X", Q(s->m_strName).c_str(), s->m_dwFlags);
        for (const CIniValue* v : s->m_values.Items())
          o.Line(3, "entry %s=%s flags=0x%X", Q(v->m_strKey).c_str(), Q(v->m_strValue).c_str(), v->m_dwFlags);
      }
    }
  }
  if (p.m_pOptions) {
    o.Line(0, "options flags=0x%X", p.m_pOptions->m_dwFlags);
    for (const CCustomSetupOption* opt : p.m_pOptions->m_options.Items()) {
      std::string ids;
      for (uint32_t id : opt->m_packageIds) ids += (ids.empty() ? "" : ",") + std::to_string(id);
      o.Line(1, "option %s id=%u flags=0x%X group=%u password=%s description=%s packages=[%s]",
             Q(opt->m_strName).c_str(), opt->m_dwUniqueId, opt->m_dwFlags, opt->m_dwGroupId,
             Q(opt->m_strPassword).c_str(), Q(opt->m_strDescription).c_str(), ids.c_str());
    }
  }
  return o.text_;
}

}  // namespace kw
