// vrml/qvreaderror.h -- how the VRML reader reports problems in a file.
//
// Owns: QvReadError (read errors with the file name and line of the input;
// the severity level of the last one is kept by the parse under way,
// vrml/session.h), QvDebugError (internal
// inconsistencies), and the remembered last error and warning texts that
// drop an immediate repeat. Texts longer than their buffers are cut.
// It does not decide what the reader does after an error: the callers look
// at the level (vrml/qvnode.h).
#ifndef LUMENFOLD_VRML_QVREADERROR_H
#define LUMENFOLD_VRML_QVREADERROR_H

class QvInput;

// Severity levels of the last read error.
enum : int {
  kQvReadErrorLevel = 0,   // an error
  kQvUnknownNodeLevel = 2, // an unknown node type, skipped silently
  kQvEndOfInputLevel = 3,  // the end of the file was reached
};

class QvReadError {
 public:
  static void post(int level, const QvInput* in, const char* format, ...)
      __attribute__((format(printf, 3, 4)));
  static int getLevel();
  static void setLevel(int level);
  // Called before a file is parsed: the level goes back to 0.
  static void begin(const char* fileName);
};

class QvDebugError {
 public:
  static void post(const char* methodName, const char* format, ...)
      __attribute__((format(printf, 2, 3)));
};

// The warning output: the text goes to zmReportWarning unless it repeats the
// last warning exactly.
void qvOutputWarning(const char* text);

#endif
