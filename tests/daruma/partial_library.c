/* A maker library that lacks "DAR_Erro": the driver must refuse to bind
 * any of it. */
#define EXPORT __attribute__((visibility("default")))
EXPORT int DAR_AbreSerial(const char* porta) { return porta != 0; }
EXPORT int DAR_Envia(const char* bytes, int tamanho, int modo) { return bytes && modo ? tamanho : -1; }
EXPORT int DAR_FechaSerial(void) { return 1; }
EXPORT int DAR_Resposta(char* buffer, int tamanho) {
  if (buffer && tamanho > 0) buffer[0] = 0;
  return 0;
}
