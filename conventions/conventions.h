// Conventions every method shares: the 256-byte path buffers, normalizaPath,
// bounded formatting and the day-first timestamp text.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "platform/platform.h"

namespace torvex {

// Every argument and every built path lives in one of these: 255 characters
// and the terminator.
constexpr size_t kTamanhoCaminho = 256;

// Turns every backslash and every "(" into "/", in place; nothing else.
void normalizaPath(char* caminho);

// snprintf into a fixed buffer that says whether the whole text fit. On a
// false result the buffer holds an empty string, never a cut path.
bool formata(char* saida, size_t capacidade, const char* formato, ...)
    __attribute__((format(printf, 3, 4)));

// Copies `origem` into `saida` when it fits with its terminator.
bool copia(char* saida, size_t capacidade, const char* origem);

// A name folded the way the file system compares names (ASCII and the
// Latin-1 letters of the ANSI code page), for telling whether two names
// reach the same file.
std::string dobraCaixa(std::string_view nome);

// "DD/MM/YYYY HH:MM:SS": 19 characters and the terminator.
constexpr size_t kTamanhoDataHora = 20;
void formataDataHora(const LocalTime& t, char (&saida)[kTamanhoDataHora]);

}  // namespace torvex
