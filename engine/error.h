// engine/error.h -- the sticky error number, the engine's one failure channel.
//
// Owns: the failure vocabulary (`RwErrorNumber`), the one process-wide
// error number with its set, restore, read and read-and-clear operations,
// and the helper with which an operation returns null after recording one.
// It does not own opening or closing the engine (engine/library.h), which
// never clears the number.
//
// Every engine operation reports failure by returning 0 or null and setting
// the sticky error number; the engine prints nothing. The first failure wins
// until someone reads and clears the number.
#ifndef LUMENFOLD_ENGINE_ERROR_H
#define LUMENFOLD_ENGINE_ERROR_H

// The engine's failure vocabulary. Numbers that are never raised have no name.
enum RwErrorNumber : int {
  rwErrNone = 0,
  rwErrInvalidArgument = 1,    // null or invalid record; internal step failed
  rwErrCombineMode = 2,        // combine or path mode not accepted
  rwErrOutOfMemory = 3,        // heap or pool record
  rwErrBadWord = 4,            // script keyword word not accepted
  rwErrBadArguments = 5,       // script keyword arguments missing or malformed
  rwErrDegenerateFrame = 7,    // zero-length axis or non-orthonormal combination
  rwErrLightKind = 8,          // light operation not valid for the light's kind
  rwErrPathTooLong = 9,        // shape search path of 1023 characters or more
  rwErrRead = 10,              // short or failed read
  rwErrBadCount = 11,          // negative or non-positive count or size
  rwErrFileNotFound = 13,      // shape file not found along the search path
  rwErrFileOpen = 14,          // file found but cannot be opened
  rwErrNotRootClump = 15,
  rwErrNoDeviceName = 18,      // no name given and RWDEVICE not set
  rwErrTextureFrame = 20,
  rwErrTextureWidth = 22,
  rwErrTextureHeight = 23,
  rwErrVertexIndex = 24,
  rwErrDefaultScene = 25,
  rwErrGeometrySampling = 26,
  rwErrGeometrySamplingWord = 27,
  rwErrLightSampling = 28,
  rwErrLightSamplingWord = 29,
  rwErrPrototypeName = 30,
  rwErrZeroVector = 31,        // rotation axis, direction or normal of length 0
  rwErrModelling = 32,
  rwErrNotModelling = 33,
  rwErrOpenClumps = 34,
  rwErrScriptClumpState = 35,
  rwErrScriptModelState = 36,
  rwErrEmptyPrototype = 37,
  rwErrOutsideClump = 38,
  rwErrNoClump = 39,
  rwErrTooFewVertices = 40,
  rwErrTooManyVertices = 41,
  rwErrTextureName = 43,
  rwErrProjection = 44,
  rwErrState = 45,
  rwErrClumpFlags = 47,
  rwErrHintValue = 49,
  rwErrScriptWord52 = 52,
  rwErrScriptName53 = 53,
  rwErrAlignmentWord = 54,
  rwErrTextureModes = 56,
  rwErrScriptName57 = 57,
  rwErrScriptNameMissing58 = 58,
  rwErrScriptNameMissing59 = 59,
  rwErrTextureFlags = 60,
  rwErrTextureOption = 61,
  rwErrMaskSize = 62,
  rwErrControlRequest = 63,    // device control request not supported
  rwErrNotSupported = 64,      // operation not supported by the device
  rwErrUnknownOption = 65,     // open option not recognised by the device
  rwErrRasterInUse = 66,
  rwErrScriptWord67 = 67,
  rwErrScriptWord68 = 68,
  rwErrImageLayout = 69,
  rwErrControlBuffer = 70,     // device control buffer smaller than 4 bytes
  rwErrUserDraw = 71,          // also what every larger number reads back as
  rwErrClumpHierarchy = 72,
  rwErrVertexArray = 73,
  rwErrSceneNode = 74,
  rwErrStreamValue = 75,
  rwErrEnumValue = 76,
  rwErrGamma = 77,
  rwErrAlreadyBound = 78,
  rwErrTypedRead = 80,
  rwErrElementSize = 81,
  rwErrTextureRead = 82,
  rwErrNoFrames = 83,
};

// The largest number the sticky error can hold; larger ones are stored as it.
constexpr int rwErrorCap = 71;

int RwGetAndClearError();
int RwGetError();
// Records a failure unless one is pending (the first wins); numbers above 71
// are stored as 71. RwSetError returns its argument, RwRestoreError the
// number as stored (iterations use it to put back a number they cleared).
int RwSetError(int number);
int RwRestoreError(int number);

// Records the failure and gives the null record pointer an operation returns:
// `return failWith<RwClump>(rwErrOutOfMemory);`.
template <typename T>
T* failWith(int number) {
  RwSetError(number);
  return nullptr;
}

#endif
