// A maker library in miniature: one entry point bound by name.
extern "C" int QdmTestAnswer() { return 42; }
