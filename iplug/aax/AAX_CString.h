#pragma once
// The string object that crosses the AAX interfaces: AAX_IString, and AAX_CString, which owns
// one zero-terminated text of 8-bit characters.

#include <cstdint>
#include <string>
#include <type_traits>

// Hosts hand the module strings of their own. Their table has one entry for the destructor
// ahead of the operations, where a virtual destructor of ours would take two in GCC's layout;
// so the interface has a placeholder entry there instead, and nothing is ever destroyed
// through it.
class AAX_IString {
 public:
  virtual void DestructorEntry() {}
  virtual uint32_t Length() const = 0;
  virtual uint32_t MaxLength() const = 0;
  virtual const char* Get() const = 0;
  virtual void Set(const char* text) = 0;
  virtual AAX_IString& AssignText(const char* text) = 0;
  virtual AAX_IString& AssignString(const AAX_IString& other) = 0;

 protected:
  ~AAX_IString() = default;
};
static_assert(!std::has_virtual_destructor_v<AAX_IString>, "one table entry for a destructor");
static_assert(sizeof(AAX_IString) == sizeof(void*), "a string interface is a table only");

class AAX_CString final : public AAX_IString {
 public:
  static constexpr uint32_t kMaxLength = 0xFFFFFFFEu;

  AAX_CString() = default;
  AAX_CString(const char* text);  // a null text gives an empty string
  AAX_CString(const AAX_CString& other) = default;
  explicit AAX_CString(const AAX_IString& other);
  AAX_CString& operator=(const AAX_CString& other);  // nothing happens on self-assignment
  ~AAX_CString() = default;

  uint32_t Length() const override;
  uint32_t MaxLength() const override;
  const char* Get() const override;  // valid until the string changes
  void Set(const char* text) override;  // a null text empties the string
  AAX_CString& AssignText(const char* text) override;
  AAX_CString& AssignString(const AAX_IString& other) override;

  void Clear();
  // Both throw std::out_of_range("invalid string position") when position > Length(); the
  // string is then unchanged.
  void Erase(uint32_t position, uint32_t count);
  void SubString(uint32_t position, uint32_t count, AAX_IString* out) const;
  void Append(const AAX_CString& other);
  // Fixed notation with precision digits after the point, as "%.*f" (a negative precision
  // counts as 0).
  void AppendNumber(double number, int32_t precision);
  // The character at an index below Length(); throws std::out_of_range beyond it.
  char operator[](uint32_t index) const;
  // Reads a number from the start of the text as a string stream reads a double; on failure
  // out is 0 and the result false.
  bool ToDouble(double* out) const;

  bool operator==(const AAX_CString& other) const;
  bool operator!=(const AAX_CString& other) const { return !(*this == other); }

 private:
  void Replace(const char* text, size_t length);

  std::string mText;  // never holds a zero byte; c_str() supplies the terminator
};
