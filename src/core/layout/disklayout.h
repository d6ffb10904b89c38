// Folder layout of a build: DISK1..DISKn in the output folder.
#pragma once
#include <string>
#include <vector>

namespace kw {

// The volume path format handed to the archive library: the output folder,
// then "DISK%d" and "SETUP.%d" (volume number twice). A '%' of the folder is
// doubled so that the format stays a format.
std::string VolumePathFormat(const std::string& outputFolder);

// The path of volume n from such a format ("%%" gives '%', each "%d" the
// number, and nothing else is expanded).
std::string VolumePath(const std::string& format, unsigned volume);

// The folder "DISKn" of the output folder.
std::string DiskFolder(const std::string& outputFolder, unsigned volume);

// Creates the output folder's parent and the output folder when missing.
bool PrepareOutputFolder(const std::string& outputFolder, std::string& error);

// Deletes every "DISK*" entry (any letter case) of the output folder: folders
// with their contents, files directly, links as links (never what they point
// at). Stops at the first entry that cannot be deleted.
bool ClearDiskFolders(const std::string& outputFolder, std::string& error);

// Creates "DISKn" of the output folder when missing.
bool CreateDiskFolder(const std::string& outputFolder, unsigned volume, std::string& error);

// Creates the folder part of a volume path when missing.
bool CreateVolumeFolder(const std::string& volumePath, std::string& error);

// True when an entry name matches "DISK*".
bool IsDiskEntryName(const std::string& name);

namespace layout_detail {
// One folder level; true when it exists as a folder afterwards.
bool MakeFolder(const std::string& path, std::string& error);
// Deletes one entry of a folder without following links.
bool DeleteEntry(const std::string& folder, const std::string& name, std::string& error);
// Names of the entries of a folder matching "DISK*".
bool ListDiskEntries(const std::string& folder, std::vector<std::string>& names, std::string& error);
}  // namespace layout_detail

}  // namespace kw
