// A growable array of pointers that does not own what it points to.
#pragma once

#include <cstddef>
#include <new>
#include <vector>

namespace kw {

class PtrArray {
 public:
  // growBy 0: the step follows the array's size (size / 8, from 4 to 1024).
  explicit PtrArray(size_t growBy = 0) : growBy_(growBy) {}

  size_t size() const { return size_; }
  size_t capacity() const { return data_.size(); }
  void* at(size_t i) const { return data_[i]; }
  void set(size_t i, void* p) { data_[i] = p; }

  // Appends p; returns its index.
  size_t Add(void* p) {
    Reserve(size_ + 1);
    data_[size_] = p;
    return size_++;
  }

  // Removes the element at i, moving the later ones down.
  void RemoveAt(size_t i) {
    for (size_t k = i + 1; k < size_; ++k)
      data_[k - 1] = data_[k];
    data_[--size_] = nullptr;
  }

  void RemoveAll() {
    data_.clear();
    size_ = 0;
  }

  // The capacity the array takes when it must hold wanted elements.
  size_t GrownCapacity(size_t wanted) const {
    if (wanted <= capacity())
      return capacity();
    size_t step = growBy_;
    if (step == 0) {
      step = size_ / 8;
      if (step < 4)
        step = 4;
      if (step > 1024)
        step = 1024;
    }
    size_t grown = capacity() + step;
    return grown > wanted ? grown : wanted;
  }

 private:
  void Reserve(size_t wanted) {
    if (wanted > capacity())
      data_.resize(GrownCapacity(wanted), nullptr);
  }

  std::vector<void*> data_;
  size_t size_ = 0;
  size_t growBy_;
};

}  // namespace kw
