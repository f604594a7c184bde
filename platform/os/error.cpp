#include "platform/os/error.h"

#include <cerrno>
#include <cstring>

#include "platform/base/errors.h"

namespace platform::os {

namespace {

struct ErrnoName {
  int error;
  const char* text;
};

// What a register's files and ports meet.
constexpr ErrnoName kErrnoTexts[] = {
    {ENOENT, "arquivo ou diret\xF3rio inexistente"},
    {EACCES, "permiss\xE3o negada"},
    {EPERM, "opera\xE7\xE3o n\xE3o permitida"},
    {ENOSPC, "n\xE3o h\xE1 espa\xE7o no dispositivo"},
    {EDQUOT, "cota de disco excedida"},
    {EROFS, "sistema de arquivos somente para leitura"},
    {EEXIST, "o arquivo j\xE1 existe"},
    {EISDIR, "\xE9 um diret\xF3rio"},
    {ENOTDIR, "um componente do caminho n\xE3o \xE9 um diret\xF3rio"},
    {ENAMETOOLONG, "nome de arquivo longo demais"},
    {EIO, "erro de entrada e sa\355da"},
    {EMFILE, "arquivos abertos demais"},
    {ENFILE, "arquivos abertos demais no sistema"},
    {EBUSY, "dispositivo ou recurso ocupado"},
    {EAGAIN, "recurso temporariamente indispon\xEDvel"},
    {ENODEV, "dispositivo inexistente"},
    {ENXIO, "dispositivo ou endere\xE7o inexistente"},
    {EINVAL, "argumento inv\xE1lido"},
    {EBADF, "descritor de arquivo inv\xE1lido"},
    {ELOOP, "liga\xE7\365es simb\xF3licas demais"},
};

}  // namespace

std::string ErrnoText(int error) {
  for (const ErrnoName& name : kErrnoTexts)
    if (name.error == error) return name.text;
  char buffer[256];
  // The GNU strerror_r answers a pointer that may or may not be `buffer`.
  return "erro " + std::to_string(error) + " do sistema (" + strerror_r(error, buffer, sizeof buffer) + ")";
}

void RaiseInOut(const std::string& what, const std::string& path, int error) {
  throw EInOutError("N\xE3o foi poss\xEDvel " + what + " " + path + ": " + ErrnoText(error));
}

}  // namespace platform::os
