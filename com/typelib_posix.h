// Type libraries on POSIX. A module carries its type library as a table
// (type_description.h) that it announces when it loads; LoadTypeLib
// finds it by the module's path, as Windows finds a "TYPELIB" resource in the
// module file. The served ITypeLib/ITypeInfo answer what dispatch and
// registration ask: attributes, function descriptions, names, documentation,
// case-insensitive GetIDsOfNames and Invoke through the interface table.
#pragma once

// Part of com.h, which includes it after the types it uses.
#include <string>

namespace torvex {

// `lib` must outlive every LoadTypeLib on that path.
void embedTypeLib(const std::string& modulePath, const TypeLibDescription* lib);

// A fresh type library object over `lib`, with one reference.
ITypeLib* newDescribedTypeLib(const TypeLibDescription* lib);

}  // namespace torvex
