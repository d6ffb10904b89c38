#include "stream/qvstring.h"

#include <vector>

#include "platform/text.h"
#include "stream/objarchive.h"
#include "stream/qvarchive.h"

void CQVObject::Serialize(CQVArchive&) {}

void CQVString::MakeUpper() { kw::UpperAnsi(text_); }
void CQVString::MakeLower() { kw::LowerAnsi(text_); }

void CQVString::Serialize(CQVArchive& ar) {
  if (ar.IsStoring()) {
    ar << *this;
  } else {
    ar >> *this;
  }
}

void CQVString::Serialize(ObjectArchive& ar) {
  if (ar.IsStoring()) {
    ar.WriteString(text_);
  } else {
    text_ = ar.ReadString();
  }
}
