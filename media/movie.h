// media/movie.h -- movie textures: a texture whose image is a strip of
// frames plays on its shape.
//
// Owns: the control record `ZmTextureMovie` (made and freed here, hung on
// the texture of an object's first leaf), its counters and timing, and the
// repeating native time-out that steps the frames at the movie's frame
// rate times its speed (queued through media/timeouthooks.h). It does not
// own the frames themselves, which the viewer shows (zmViewerVideoNextFrame,
// zmViewerVideoSetFrame), nor the time-out queue.
//
// Every operation finds the record through the object: its first leaf, that
// leaf's texture when it names a file, and the texture's movie record; any
// of them missing means "no movie". Paused and the time-out go together:
// playing replaces any time-out, pausing removes it.
#ifndef LUMENFOLD_MEDIA_MOVIE_H
#define LUMENFOLD_MEDIA_MOVIE_H

struct ZmObj;
struct ZmTextureMovie;

// A record with the defaults (plays by itself, 128 x 128, 4 frames a
// second, looping, speed 1), or null when memory runs out.
ZmTextureMovie* zmNewTextureMovie();
// Frees the option text and the record; a null record warns. The time-out
// must have been removed (zmPause3DMovie) first.
void zmDeleteTextureMovie(ZmTextureMovie* movie);
// Attaches the record from the movie file, or completes its frame count,
// then plays when the movie plays by itself.
void zmSetTextureMovie(ZmObj* object);

/*
 * zmPlay3DMovie --
 *   Restarts the frame steps every trunc(1000 / frame rate / |speed|) ms,
 *   forward for a speed >= 0, backward otherwise. Below a speed of 0.0001
 *   the movie counts as playing but nothing steps it.
 * Results:
 *   0; -1 without a movie, for a frame rate that is not positive (warned:
 *   no time-out starts) or when the time-out cannot be queued.
 */
int zmPlay3DMovie(ZmObj* object);
// Pauses; 0, or -1 without a movie or without a running time-out.
int zmPause3DMovie(ZmObj* object);
// Sets the speed and, unless paused, plays again; 0 or -1 without a movie.
int zmSet3DMovieSpeed(ZmObj* object, float speed);
float zmGet3DMovieSpeed(ZmObj* object);  // -1.0 without a movie
// Shows frame n clamped to 0 .. frame count - 1 (nothing shown while the
// count is unknown); 0 or -1 without a movie.
int zmSet3DMovieFrame(ZmObj* object, int n);
int zmGet3DMovieFrame(ZmObj* object);     // -1 without a movie
int zmGet3DMovieFrameNum(ZmObj* object);  // the frame count, -1 without a movie
int zmGet3DMovieLoop(ZmObj* object);      // 0 without a movie
void zmSet3DMovieLoop(ZmObj* object, int loop);
// One step forward or back as the time-out makes it; 0 or -1 without a movie.
int zmSet3DMovieNextFrame(ZmObj* object);
int zmSet3DMoviePrevFrame(ZmObj* object);

#endif
