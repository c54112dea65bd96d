// Taking a packed file out of the search by moving it to its rename target.
#pragma once

namespace torvex {

// Deletes the file at `destino`, then moves `origem` there when the two texts
// differ (byte for byte). With the same text the source is simply gone, as
// when no rename expression is given.
void substituiArquivo(const char* origem, const char* destino);

}  // namespace torvex
