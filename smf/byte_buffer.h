// A growable byte array that owns its storage. Growth is exact: storage is never larger than the size
// asked for, and it shrinks only to nothing.
#ifndef SONOREL_SMF_BYTE_BUFFER_H
#define SONOREL_SMF_BYTE_BUFFER_H

#include <cstdint>

class ByteBuffer {
 public:
  ByteBuffer();
  ByteBuffer(const ByteBuffer& other);
  ByteBuffer& operator=(const ByteBuffer& other);
  // Moving hands the storage over and leaves the source empty.
  ByteBuffer(ByteBuffer&& other) noexcept;
  ByteBuffer& operator=(ByteBuffer&& other) noexcept;
  virtual ~ByteBuffer();

  // Sets the size to n, keeping the first min(size, n) bytes; new bytes are undefined until written.
  // Resize(0) releases the storage. Throws std::bad_alloc when memory runs out.
  void Resize(std::uint32_t n);
  void Clear();

  unsigned char* Data() { return data_; }
  const unsigned char* Data() const { return data_; }
  std::uint32_t Size() const { return size_; }
  std::uint32_t Capacity() const { return capacity_; }

 private:
  unsigned char* data_;
  std::uint32_t size_;
  std::uint32_t capacity_;
};

#endif
