#include "smf/byte_buffer.h"

#include <cstring>

ByteBuffer::ByteBuffer() : data_(nullptr), size_(0), capacity_(0) {}

ByteBuffer::ByteBuffer(const ByteBuffer& other) : data_(nullptr), size_(0), capacity_(0) {
  if (other.size_ != 0) {
    data_ = new unsigned char[other.size_];
    std::memcpy(data_, other.data_, other.size_);
    size_ = other.size_;
    capacity_ = other.size_;
  }
}

ByteBuffer::ByteBuffer(ByteBuffer&& other) noexcept
    : data_(other.data_), size_(other.size_), capacity_(other.capacity_) {
  other.data_ = nullptr;
  other.size_ = 0;
  other.capacity_ = 0;
}

ByteBuffer& ByteBuffer::operator=(const ByteBuffer& other) {
  if (this == &other) return *this;
  // The copy gets storage of exactly the source's size; allocate before releasing so a failure
  // leaves this buffer as it was.
  unsigned char* copy = nullptr;
  if (other.size_ != 0) {
    copy = new unsigned char[other.size_];
    std::memcpy(copy, other.data_, other.size_);
  }
  delete[] data_;
  data_ = copy;
  size_ = other.size_;
  capacity_ = other.size_;
  return *this;
}

ByteBuffer& ByteBuffer::operator=(ByteBuffer&& other) noexcept {
  if (this == &other) return *this;
  delete[] data_;
  data_ = other.data_;
  size_ = other.size_;
  capacity_ = other.capacity_;
  other.data_ = nullptr;
  other.size_ = 0;
  other.capacity_ = 0;
  return *this;
}

ByteBuffer::~ByteBuffer() { delete[] data_; }

void ByteBuffer::Resize(std::uint32_t n) {
  if (n == 0) {
    delete[] data_;
    data_ = nullptr;
    capacity_ = 0;
  } else if (data_ == nullptr) {
    data_ = new unsigned char[n];
    capacity_ = n;
  } else if (n > capacity_) {
    unsigned char* grown = new unsigned char[n];
    std::memcpy(grown, data_, size_);
    delete[] data_;
    data_ = grown;
    capacity_ = n;
  }
  size_ = n;
}

void ByteBuffer::Clear() { Resize(0); }
