// Blocks of bytes handed out by the content archive: an interface that readers keep
// and the owned buffer that implements it.
#pragma once

// A block of bytes whose owner is whoever holds the object.
class IFileData {
 public:
  // The bytes; stays valid until the object is destroyed. Null for a probe result.
  virtual const char* GetData() const = 0;
  // Number of bytes behind GetData().
  virtual int GetSize() const = 0;
  virtual ~IFileData();
};

// Owned bytes of exactly the size asked for, with no terminating zero added. A
// default-constructed block holds no bytes (null pointer, size 0): the archive's probe
// result.
class CFileData : public IFileData {
 public:
  CFileData() = default;
  ~CFileData() override;
  CFileData(const CFileData&) = delete;
  CFileData& operator=(const CFileData&) = delete;

  // Replaces the contents with `size` uninitialised bytes. False (and the block left
  // empty) when size is negative or the memory cannot be had.
  bool Allocate(int size);
  // Replaces the contents with a copy of `size` bytes at `bytes`; same failures.
  bool Assign(const void* bytes, int size);
  // Writable view of the bytes for whoever fills the block.
  char* GetBuffer() { return m_data; }

  const char* GetData() const override { return m_data; }
  int GetSize() const override { return m_size; }

 private:
  void Release();

  char* m_data = nullptr;  // owned; null when the block holds nothing
  int m_size = 0;          // bytes at m_data
};
