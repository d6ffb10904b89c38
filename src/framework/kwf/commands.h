// Commands declared once: an id (or a range of ids), the handler and the
// enable rule side by side, so that a menu item, a toolbar button and a key
// reach the same place and show the same state.
#pragma once

#include <windows.h>

#include <cstddef>

namespace kwf {

template <class T>
struct Command {
  UINT first, last;                   // one id: first == last
  void (T::*handler)(UINT id);
  bool (T::*enabled)(UINT id) const;  // null: always enabled
};

// The entry of a table that holds id, or null.
template <class T, size_t N>
const Command<T>* FindCommand(const Command<T> (&table)[N], UINT id) {
  for (const Command<T>& c : table)
    if (id >= c.first && id <= c.last)
      return &c;
  return nullptr;
}

// Runs the command of id; false when the table has none. A disabled command
// does nothing (a key may reach it while its menu item is greyed).
template <class T, size_t N>
bool RunCommand(T* self, const Command<T> (&table)[N], UINT id) {
  const Command<T>* c = FindCommand(table, id);
  if (!c)
    return false;
  if (!c->enabled || (self->*(c->enabled))(id))
    (self->*(c->handler))(id);
  return true;
}

// The enable rule of id; false when the table has none.
template <class T, size_t N>
bool QueryCommand(const T* self, const Command<T> (&table)[N], UINT id, bool* enabled) {
  const Command<T>* c = FindCommand(table, id);
  if (!c)
    return false;
  *enabled = !c->enabled || (self->*(c->enabled))(id);
  return true;
}

}  // namespace kwf
