#pragma once
// A small JSON writer for zarvelctl's --json output: one document per run,
// written on one line, strings escaped (UTF-8 passes through).
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace zarvel::cli {

class JsonWriter {
 public:
  JsonWriter& BeginObject();
  JsonWriter& EndObject();
  JsonWriter& BeginArray();
  JsonWriter& EndArray();
  // Inside an object: the name of the next value.
  JsonWriter& Key(std::string_view name);
  JsonWriter& String(std::string_view value);
  JsonWriter& Number(std::int64_t value);
  JsonWriter& Bool(bool value);
  JsonWriter& Null();

  // Shorthands for a named member.
  JsonWriter& Member(std::string_view name, std::string_view value) { return Key(name).String(value); }
  JsonWriter& Member(std::string_view name, const char* value) { return Key(name).String(value); }
  JsonWriter& Member(std::string_view name, std::int64_t value) { return Key(name).Number(value); }
  JsonWriter& Member(std::string_view name, int value) { return Key(name).Number(value); }
  JsonWriter& Member(std::string_view name, bool value) { return Key(name).Bool(value); }

  const std::string& Text() const { return text_; }

 private:
  void BeforeValue();
  void Open(char bracket);
  void Close(char bracket);

  std::string text_;
  std::vector<bool> first_;  // per open container: nothing written in it yet
  bool after_key_ = false;
};

std::string JsonEscape(std::string_view text);

}  // namespace zarvel::cli
