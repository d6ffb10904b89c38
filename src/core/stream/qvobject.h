// CQVObject: anything that streams itself into or out of a CQVArchive.
#pragma once

class CQVArchive;

class CQVObject {
 public:
  virtual ~CQVObject() = default;
  // Writes or reads the object, as the archive's mode says. Does nothing here.
  virtual void Serialize(CQVArchive& ar);
};
