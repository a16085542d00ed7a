// platform/mmsystem.h -- multimedia: reading RIFF files, wave output with
// window notices, and MIDI short messages.
//
// Owns: the multimedia file calls (mmio*) over plain files, the one wave-out
// device and the one MIDI-out device, their handles, and the "Wave" and
// "Midi" events they record. It does not own the clock (clock.h, whose
// timeGetTime it re-exports), the queue that carries MM_WOM_* notices
// (winuser.h), or video (an MCI window stand-in of its own).
//
// Both devices keep time and record without a sound card: the wave device
// keeps real time on the platform clock -- a written buffer "plays" for
// bytes / nAvgBytesPerSec and is then returned with MM_WOM_DONE -- and the
// MIDI device records each message. So a test on the virtual clock sees
// exactly what a listener would have heard, and when. When an ALSA output
// has been chosen (alsapcm.h), the wave device's buffers are also copied
// to it, so they are heard; the timing stays the platform clock's. When a
// synthesiser has been chosen (midisynth.h), the MIDI device's messages are
// also played on it.
//
// Handles are checked on every call; a closed handle is never reused in the
// same run, so a stale one gives MMSYSERR_INVALHANDLE.
#ifndef LUMENFOLD_PLATFORM_MMSYSTEM_H
#define LUMENFOLD_PLATFORM_MMSYSTEM_H

#include "platform/clock.h"
#include "platform/wintypes.h"

LF_DECLARE_HANDLE(HMMIO);
LF_DECLARE_HANDLE(HWAVEOUT);
LF_DECLARE_HANDLE(HMIDIOUT);
typedef HWAVEOUT* LPHWAVEOUT;
typedef HMIDIOUT* LPHMIDIOUT;
typedef UINT MMRESULT;
typedef char* HPSTR;

// ---------------------------------------------------------------- results

#define MMSYSERR_NOERROR 0
#define MMSYSERR_ERROR 1
#define MMSYSERR_BADDEVICEID 2
#define MMSYSERR_NOTENABLED 3
#define MMSYSERR_ALLOCATED 4
#define MMSYSERR_INVALHANDLE 5
#define MMSYSERR_NODRIVER 6
#define MMSYSERR_NOMEM 7
#define MMSYSERR_NOTSUPPORTED 8
#define MMSYSERR_INVALFLAG 10
#define MMSYSERR_INVALPARAM 11

#define WAVERR_BADFORMAT 32
#define WAVERR_STILLPLAYING 33
#define WAVERR_UNPREPARED 34

#define MMIOERR_FILENOTFOUND 257
#define MMIOERR_OUTOFMEMORY 258
#define MMIOERR_CANNOTOPEN 259
#define MMIOERR_CANNOTREAD 261
#define MMIOERR_CANNOTSEEK 263
#define MMIOERR_CHUNKNOTFOUND 265
#define MMIOERR_ACCESSDENIED 268

// ---------------------------------------------------------------- RIFF files

typedef DWORD FOURCC;
// The four characters in file order, first in the low byte.
#define mmioFOURCC(a, b, c, d) \
  ((FOURCC)(BYTE)(a) | ((FOURCC)(BYTE)(b) << 8) | ((FOURCC)(BYTE)(c) << 16) | ((FOURCC)(BYTE)(d) << 24))
#define FOURCC_RIFF mmioFOURCC('R', 'I', 'F', 'F')
#define FOURCC_LIST mmioFOURCC('L', 'I', 'S', 'T')

// mmioOpenA flags. Only reading is offered; buffering is the C library's,
// so MMIO_ALLOCBUF is accepted and changes nothing.
#define MMIO_READ 0x00000000
#define MMIO_WRITE 0x00000001
#define MMIO_READWRITE 0x00000002
#define MMIO_ALLOCBUF 0x00010000

// mmioDescend flags.
#define MMIO_FINDCHUNK 0x0010
#define MMIO_FINDRIFF 0x0020
#define MMIO_FINDLIST 0x0040

struct MMCKINFO {
  FOURCC ckid;          // chunk id
  DWORD cksize;         // size of the chunk's data, header excluded
  FOURCC fccType;       // form type of a RIFF or LIST chunk
  DWORD dwDataOffset;   // file offset of the chunk's data
  DWORD dwFlags;
};
typedef MMCKINFO* LPMMCKINFO;
typedef const MMCKINFO* LPCMMCKINFO;

// What mmioOpenA tells beyond its handle: the error code of a failed open.
struct MMIOINFO {
  DWORD dwFlags;
  UINT wErrorRet;
};
typedef MMIOINFO* LPMMIOINFO;

// Opens a file for reading. Null on failure, with the MMIOERR_* code in
// info->wErrorRet when info is given (MMIOERR_ACCESSDENIED for a writing
// mode, which is not offered).
HMMIO mmioOpenA(LPSTR fileName, LPMMIOINFO info, DWORD flags);

MMRESULT mmioClose(HMMIO mmio, UINT flags);

// Reads at most `count` bytes, never past the end of the innermost chunk
// descended into and not yet ascended from. The number of bytes read (0 at
// that end or at the end of the file), or -1 for a bad handle or count.
LONG mmioRead(HMMIO mmio, HPSTR buffer, LONG count);

// Moves the position as fseek does (SEEK_SET, SEEK_CUR, SEEK_END); the new
// position, or -1.
LONG mmioSeek(HMMIO mmio, LONG offset, int origin);

// Descends into a chunk at the position. With MMIO_FINDRIFF or MMIO_FINDLIST
// it looks for the RIFF or LIST chunk whose form type is ck->fccType, with
// MMIO_FINDCHUNK for the chunk whose id is ck->ckid; without a find flag it
// takes the chunk that starts there. The search stays inside `parent` when
// given. On success *ck is filled and the position is at the chunk's data
// (after the form type of a RIFF or LIST chunk). MMIOERR_CHUNKNOTFOUND when
// no such chunk starts before the end (the position is then where it was).
MMRESULT mmioDescend(HMMIO mmio, LPMMCKINFO ck, LPCMMCKINFO parent, UINT flags);

// Leaves the chunk: the position goes past its data and its pad byte.
MMRESULT mmioAscend(HMMIO mmio, LPMMCKINFO ck, UINT flags);

// ---------------------------------------------------------------- wave output

#define WAVE_FORMAT_PCM 1
#define WAVE_MAPPER ((UINT)-1)

// These records are file layouts: exact widths, no padding.
#pragma pack(push, 2)
struct WAVEFORMAT {
  WORD wFormatTag;
  WORD nChannels;
  DWORD nSamplesPerSec;
  DWORD nAvgBytesPerSec;
  WORD nBlockAlign;
};
struct PCMWAVEFORMAT {
  WAVEFORMAT wf;
  WORD wBitsPerSample;
};
struct WAVEFORMATEX {
  WORD wFormatTag;
  WORD nChannels;
  DWORD nSamplesPerSec;
  DWORD nAvgBytesPerSec;
  WORD nBlockAlign;
  WORD wBitsPerSample;
  WORD cbSize;  // bytes of format data that follow; 0 for PCM
};
#pragma pack(pop)
typedef WAVEFORMATEX* LPWAVEFORMATEX;
typedef const WAVEFORMATEX* LPCWAVEFORMATEX;

struct WAVEHDR {
  LPSTR lpData;
  DWORD dwBufferLength;
  DWORD dwBytesRecorded;
  DWORD_PTR dwUser;
  DWORD dwFlags;  // WHDR_*
  DWORD dwLoops;
  WAVEHDR* lpNext;
  DWORD_PTR reserved;
};
typedef WAVEHDR* LPWAVEHDR;

#define WHDR_DONE 0x00000001
#define WHDR_PREPARED 0x00000002
#define WHDR_INQUEUE 0x00000010

// waveOutOpen flags: how notices reach the caller. Only a window is offered.
#define CALLBACK_NULL 0x00000000
#define CALLBACK_WINDOW 0x00010000
#define WAVE_FORMAT_QUERY 0x0001

// Notices posted to the callback window: wParam the device handle, lParam
// the WAVEHDR for MM_WOM_DONE (0 for the others).
#define MM_WOM_OPEN 0x3BB
#define MM_WOM_CLOSE 0x3BC
#define MM_WOM_DONE 0x3BD

// Opens the wave device (id 0 or WAVE_MAPPER) for PCM data of 8 or 16 bits
// and 1 or 2 channels whose block size and byte rate agree with it
// (WAVERR_BADFORMAT otherwise). With CALLBACK_WINDOW, `callback` is the
// window that receives the MM_WOM_* notices; MM_WOM_OPEN is posted at once.
// WAVE_FORMAT_QUERY checks the format only. Records "Wave" "open ...".
MMRESULT waveOutOpen(LPHWAVEOUT waveOut, UINT deviceId, LPCWAVEFORMATEX format, DWORD_PTR callback,
                     DWORD_PTR instance, DWORD flags);

// Fails with WAVERR_STILLPLAYING while buffers are queued.
MMRESULT waveOutClose(HWAVEOUT waveOut);

MMRESULT waveOutPrepareHeader(HWAVEOUT waveOut, LPWAVEHDR header, UINT headerSize);
// WAVERR_STILLPLAYING while the buffer is queued.
MMRESULT waveOutUnprepareHeader(HWAVEOUT waveOut, LPWAVEHDR header, UINT headerSize);

// Queues a prepared buffer: it plays after the buffers queued before it, for
// dwBufferLength / nAvgBytesPerSec seconds, and is then marked WHDR_DONE and
// returned with MM_WOM_DONE. The notice comes from the message loop (a timer
// of the platform), so it is posted when the loop runs after the buffer's
// time has passed. Records "Wave" "write <bytes>", then "WaveLevel" with the
// buffer's peak distance from silence ("16384"), which is what a listener
// would hear of its loudness.
MMRESULT waveOutWrite(HWAVEOUT waveOut, LPWAVEHDR header, UINT headerSize);

// Stops playing: every queued buffer is marked done and returned with
// MM_WOM_DONE at once, in queue order. Records "Wave" "reset".
MMRESULT waveOutReset(HWAVEOUT waveOut);

// Left volume in the low word, right in the high word (0xFFFF full).
MMRESULT waveOutSetVolume(HWAVEOUT waveOut, DWORD volume);
MMRESULT waveOutGetVolume(HWAVEOUT waveOut, LPDWORD volume);

// ---------------------------------------------------------------- MIDI output

#define MIDI_MAPPER ((UINT)-1)

// Opens the MIDI device (id 0 or MIDI_MAPPER); only CALLBACK_NULL is
// offered (MMSYSERR_INVALFLAG otherwise). One handle at a time:
// MMSYSERR_ALLOCATED while it is open.
MMRESULT midiOutOpen(LPHMIDIOUT midiOut, UINT deviceId, DWORD_PTR callback, DWORD_PTR instance,
                     DWORD flags);
MMRESULT midiOutClose(HMIDIOUT midiOut);

// Sends status, data 1 and data 2, packed from the low byte. Records
// "Midi" with the message as eight hex digits ("007F3C92").
MMRESULT midiOutShortMsg(HMIDIOUT midiOut, DWORD message);

// Silences every channel: records all-notes-off (controller 123, value 0)
// for channels 1 to 16 in turn.
MMRESULT midiOutReset(HMIDIOUT midiOut);

#endif
