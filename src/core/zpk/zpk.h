// Zestpack archive library: the flat interface used by the setup builder.
#pragma once
#include <cstdint>

// Portable stand-ins for the Windows types of the interface.
typedef uintptr_t ArchiveUserValue;
typedef struct ArchiveHandleRec* ArchiveHandle;

// Callback kinds.
enum : int { kArchiveCallbackProgress = 0, kArchiveCallbackNextVolume = 1 };

// Kind 0: progress of the file being added; return 2 to cancel.
struct ProgressRecord {
  uint32_t total;     // unpacked size of the file
  uint32_t done;      // bytes consumed so far, earlier volumes included
  uint32_t finished;  // 1 on the last report of a file
};

// Kind 1: the callback writes the path of the next volume into name and
// returns non-zero, or returns 0 to abort the add.
struct NextVolumeRequest {
  char name[256];
  uint16_t volume;
};

typedef int (*ArchiveCallback)(int kind, void* record, ArchiveUserValue user);

// What enumeration reports per entry.
struct EntryInfo {
  uint16_t version1, version2;
  uint8_t constant3;
  uint16_t flags;
  uint16_t method;
  uint8_t constant0;
  uint32_t mtime, packedSize, unpackedSize, crc, attributes, extra;
  char shortName[256];
  char longName[256];
  char thirdName[256];
};

// Returns 0 to stop the walk (error 2).
typedef int (*ArchiveEntryCallback)(const EntryInfo* info, ArchiveUserValue user, int reserved);

struct ArchiveInfo {
  uint16_t version1, version2;
  uint8_t constant3;
  uint16_t options;
  uint8_t constant2;
  uint32_t created, modified;
  char volumeName[256];
};

// Open options.
enum : uint32_t {
  kArchiveOpenNoCreate = 0x1,
  kArchiveOpenReadOnly = 0x2,
  kArchiveOpenMarkOption = 0x4,
  kArchiveOpenAppend = 0x8,
  kArchiveOpenCreate = 0x10,
  kArchiveOpenSizedOnly = 0x10000,
};
// Add options.
enum : uint32_t { kArchiveAddFullPath = 0x1 };

// Entry flags.
enum : uint16_t { kEntrySpans = 0x0002, kEntryExtra = 0x0004, kEntryHidden = 0x0020 };

// Last-error codes.
enum : uint32_t {
  kZpkOk = 0,
  kZpkException = 1,
  kZpkCancelled = 2,
  kZpkChecksum = 6,
  kZpkShortRead = 7,
  kZpkWriteFailed = 8,
  kZpkNoArchive = 11,
  kZpkBadHandle = 12,
  kZpkCannotOpen = 13,
  kZpkNoMatch = 14,
  kZpkReadOnly = 18,
  kZpkNeedsLimit = 19,
  kZpkBusy = 20,
  kZpkTooLarge = 21,     // a size, position or volume number past the format's fields
  kZpkNameTooLong = 22,  // a stored name longer than 255 characters
  kZpkSourceChanged = 23,  // the source's size or time changed while it was read
};

constexpr uint32_t kArchiveNoLimit = 0xFFFFFFFFu;

int ArchiveStartup();
int ArchiveShutdown();
uint32_t ArchiveGetVersion();
uint32_t ArchiveGetLastError();
// The system's error number (errno) behind the last failed open or write of
// an archive or source file: what errors 8 and 13 do not tell.
int ArchiveGetSystemError();
ArchiveHandle ArchiveOpen(const char* path, uint32_t options, ArchiveCallback callback);
ArchiveHandle ArchiveOpenSized(const char* path, uint32_t options, ArchiveCallback callback,
                               uint32_t volumeLimit);
bool ArchiveClose(ArchiveHandle h);
bool ArchiveAddFile(ArchiveHandle h, const char* path, uint32_t options);
bool ArchiveRemoveFile(ArchiveHandle h, const char* pattern);
bool ArchiveFindFile(ArchiveHandle h, const char* pattern);
bool ArchiveEnumFiles(ArchiveHandle h, const char* pattern, ArchiveEntryCallback callback,
                      ArchiveUserValue user);
bool ArchiveGetInfo(ArchiveHandle h, ArchiveInfo* info);
bool ArchiveSetUserData(ArchiveHandle h, ArchiveUserValue user);
ArchiveUserValue ArchiveGetUserData(ArchiveHandle h);
