// PeImage: a bounded reader of the resources of 32- and 64-bit PE images.
#pragma once
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace kw {

// Random access to the bytes of an image: a file or a block of memory.
class ByteSource {
 public:
  virtual ~ByteSource() = default;
  virtual uint64_t size() const = 0;
  // Reads exactly n bytes at offset; false when they are not all there.
  virtual bool Read(uint64_t offset, void* dst, size_t n) = 0;
};

// Standard resource types used here.
constexpr uint16_t kResString = 6;
constexpr uint16_t kResRcdata = 10;
constexpr uint16_t kResVersion = 16;

// Asks for whatever language the resource has.
constexpr uint32_t kAnyLanguage = 0xFFFFFFFF;

// Where one resource's bytes are.
struct ResourceLocation {
  uint16_t language = 0;
  uint32_t rva = 0;
  uint32_t size = 0;
  uint32_t codePage = 0;
  uint64_t fileOffset = 0;
};

// One leaf of the resource tree; names given by string carry named = true.
struct ResourceEntry {
  bool typeNamed = false, nameNamed = false;
  uint32_t type = 0, name = 0;
  ResourceLocation where;
};

class PeImage {
 public:
  // Largest resource handed out as bytes.
  static constexpr uint32_t kMaxResourceSize = 64u << 20;

  PeImage();
  ~PeImage();
  PeImage(const PeImage&) = delete;
  PeImage& operator=(const PeImage&) = delete;

  // Opens a file and reads its headers.
  bool Open(const std::string& path);
  // Reads the headers of an image in memory; the bytes must outlive this object.
  bool OpenMemory(const uint8_t* data, size_t size);

  bool is64() const { return is64_; }
  bool hasResources() const { return rsrcSize_ != 0; }
  // Why the last operation failed.
  const std::string& error() const { return error_; }

  // Finds resource (type, name) in the language asked for; without it the
  // language-neutral one, then US English, then the first one listed.
  bool Find(uint16_t type, uint16_t name, uint32_t language, ResourceLocation& out);
  // The bytes of a resource found as above.
  bool ReadResource(uint16_t type, uint16_t name, uint32_t language, std::vector<uint8_t>& out);
  bool ReadResource(const ResourceLocation& where, std::vector<uint8_t>& out);
  // Every leaf of the resource tree, in directory order.
  bool ListResources(std::vector<ResourceEntry>& out);

  // String id of the string tables, in UTF-16 and in the ANSI code page.
  // A missing or empty string is not found.
  bool GetString(uint32_t id, uint32_t language, std::u16string& wide, std::string& ansi);

 private:
  struct Section {
    uint32_t va, size, rawSize, rawOffset;
  };
  bool Fail(const std::string& message);
  bool ParseHeaders();
  bool ReadRsrc(uint32_t offset, void* dst, uint32_t n);
  bool ReadDirectory(uint32_t offset, uint16_t& named, uint16_t& ids);
  bool FindEntry(uint32_t dir, uint32_t id, bool& found, uint32_t& target);
  bool ReadDataEntry(uint32_t offset, ResourceLocation& out);
  bool RvaToOffset(uint32_t rva, uint32_t size, uint64_t& offset);
  bool ChildDirectory(uint32_t target, const std::vector<uint32_t>& path, uint32_t& child);

  std::unique_ptr<ByteSource> source_;
  std::vector<Section> sections_;
  bool is64_ = false;
  uint32_t rsrcRva_ = 0;
  uint32_t rsrcSize_ = 0;      // bytes of the resource section from its root on
  uint64_t rsrcOffset_ = 0;    // file offset of the root
  std::string error_;
};

// UTF-16 text in the single-byte system code page (Windows-1252); characters
// it lacks become '?'.
std::string Utf16ToAnsi(const std::u16string& text);

// String id of a DLL file, in the ANSI code page; false with a reason in error.
bool LoadDllString(const std::string& path, uint32_t id, std::string& out, std::string* error = nullptr);
// The raw bytes of resource (type, name) of a DLL file, any language.
bool LoadDllResource(const std::string& path, uint16_t type, uint16_t name, std::vector<uint8_t>& out,
                     std::string* error = nullptr);

}  // namespace kw
