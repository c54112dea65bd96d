// A type library written as data: one library holding one creatable class
// and the one interface it implements, whose functions take and return only
// BSTR and long. The component keeps its table in this form; the IDL text and
// (on POSIX) the served type information are both made from it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

// Part of com.h, which includes it after the types it uses.

namespace torvex {

struct ParamDescription {
  const char* name;
  VARTYPE type;  // VT_BSTR or VT_I4
};

struct FunctionDescription {
  DISPID id;
  const char* name;
  const char* doc;
  VARTYPE result;  // VT_BSTR or VT_I4
  std::span<const ParamDescription> params;
};

struct TypeLibDescription {
  GUID libid;
  const char* libName;
  const char* libDoc;
  WORD major;
  WORD minor;
  GUID clsid;
  const char* className;
  const char* classDoc;
  GUID iid;
  const char* interfaceName;
  const char* interfaceDoc;
  // Slots before the first function: IUnknown's three and IDispatch's four.
  static constexpr int kFirstFunctionSlot = 7;
  std::span<const FunctionDescription> functions;
};

}  // namespace torvex
