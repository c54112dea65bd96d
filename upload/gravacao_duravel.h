// Putting an upload's files on disk for good, so that a crash at any moment
// leaves either the source in place or a complete archive and record.
#pragma once

namespace torvex {

// Flushes a written file's contents to the medium.
bool sincronizaArquivo(const char* caminho);

// Renames `temporario` over `definitivo` and makes the rename durable by
// syncing `diretorio`, the directory that holds both.
bool publicaArquivo(const char* temporario, const char* definitivo, const char* diretorio);

// Deletes `caminho` when it exists and makes the deletion durable.
bool removeDuravel(const char* caminho, const char* diretorio);

}  // namespace torvex
