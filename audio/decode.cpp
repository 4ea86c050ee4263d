// Turns sound files into 16-bit PCM for the sound layer, checking every header value first.
#include "audio/decode.h"

#include <libopenmpt/libopenmpt.h>
#include <libopenmpt/libopenmpt_stream_callbacks_buffer.h>
#include <libopenmpt/libopenmpt_stream_callbacks_file.h>
#include <sndfile.h>

#include <cerrno>
#include <cmath>
#include <cstdarg>
#include <cstdio>
#include <cstring>

#include "shell/file.h"
#include "shell/path.h"

const char* const decode_tracker_extensions[DECODE_TRACKER_EXTENSIONS] = {".it", ".mod", ".s3m",
                                                                          ".xm"};

static void decode_fail(s_decoder* decoder, const char* format, ...)
{
    va_list args;
    va_start(args, format);
    vsnprintf(decoder->error, sizeof decoder->error, format, args);
    va_end(args);
}

bool decode_is_tracker_name(const char* path)
{
    for (const char* extension : decode_tracker_extensions)
        if (path_ends_with(path, extension))
            return true;
    return false;
}

// libsndfile's virtual reader over decoder->bytes.
static sf_count_t decode_vio_length(void* user)
{
    return (sf_count_t)((s_decoder*)user)->bytes.size();
}

static sf_count_t decode_vio_seek(sf_count_t offset, int whence, void* user)
{
    s_decoder* decoder = (s_decoder*)user;
    sf_count_t size = (sf_count_t)decoder->bytes.size();
    sf_count_t base = whence == SEEK_CUR   ? (sf_count_t)decoder->offset
                      : whence == SEEK_END ? size
                                           : 0;
    if (offset < -base || offset > size - base)
        return -1;
    decoder->offset = (size_t)(base + offset);
    return (sf_count_t)decoder->offset;
}

static sf_count_t decode_vio_read(void* out, sf_count_t count, void* user)
{
    s_decoder* decoder = (s_decoder*)user;
    size_t left = decoder->bytes.size() - decoder->offset;
    size_t n = count < 0 ? 0 : (size_t)count < left ? (size_t)count : left;
    if (n)
        memcpy(out, decoder->bytes.data() + decoder->offset, n);
    decoder->offset += n;
    return (sf_count_t)n;
}

static sf_count_t decode_vio_write(const void*, sf_count_t, void*)
{
    return 0;
}

static sf_count_t decode_vio_tell(void* user)
{
    return (sf_count_t)((s_decoder*)user)->offset;
}

// Accepts only what the mixer can play: one or two channels at a sane rate.
static int decode_check_format(s_decoder* decoder, const char* name, int channels, int rate)
{
    if (channels < 1 || channels > DECODE_MAX_CHANNELS) {
        decode_fail(decoder, "%s: %d channels; only mono and stereo can be played", name, channels);
        return 1;
    }
    if (rate < DECODE_MIN_RATE || rate > DECODE_MAX_RATE) {
        decode_fail(decoder, "%s: sample rate %d Hz is outside %d to %d Hz", name, rate,
                    (int)DECODE_MIN_RATE, (int)DECODE_MAX_RATE);
        return 1;
    }
    decoder->channels = (u32)channels;
    decoder->rate = (u32)rate;
    return 0;
}

static int decode_open_sndfile(s_decoder* decoder, const char* path, const char* name)
{
    SF_INFO info;
    memset(&info, 0, sizeof info);
    SNDFILE* file;
    if (path) {
        file = sf_open(path, SFM_READ, &info);
    } else {
        SF_VIRTUAL_IO io = {decode_vio_length, decode_vio_seek, decode_vio_read, decode_vio_write,
                            decode_vio_tell};
        decoder->offset = 0;
        file = sf_open_virtual(&io, SFM_READ, &info, decoder);
    }
    if (!file) {
        decode_fail(decoder, "%s: %s", name, sf_strerror(nullptr));
        return 1;
    }
    decoder->file = file;
    return decode_check_format(decoder, name, info.channels, info.samplerate);
}

// Modules are read through libopenmpt's stream callbacks, so no copy of the
// file stays in memory once the module is built.
static int decode_open_module(s_decoder* decoder, const char* name,
                              openmpt_stream_callbacks callbacks, void* stream)
{
    // Loading tries every format and builds the mixer's tables, which is slow;
    // the header probe turns away what cannot be a module at a fraction of that.
    int probe = openmpt_probe_file_header_from_stream(
        OPENMPT_PROBE_FILE_HEADER_FLAGS_DEFAULT, callbacks, stream, openmpt_log_func_silent,
        nullptr, openmpt_error_func_ignore, nullptr, nullptr, nullptr);
    if (probe == OPENMPT_PROBE_FILE_HEADER_RESULT_FAILURE) {
        decode_fail(decoder, "%s: not a tracker module this player reads", name);
        return 1;
    }
    if (callbacks.seek(stream, 0, OPENMPT_STREAM_SEEK_SET) != 0) {
        decode_fail(decoder, "%s: cannot go back to the start of the file", name);
        return 1;
    }
    int error = 0;
    const char* message = nullptr;
    openmpt_module* module =
        openmpt_module_create2(callbacks, stream, openmpt_log_func_silent, nullptr,
                               openmpt_error_func_ignore, nullptr, &error, &message, nullptr);
    if (!module) {
        decode_fail(decoder, "%s: not a tracker module this player reads (%s)", name,
                    message ? message : "unknown format");
        openmpt_free_string(message);
        return 1;
    }
    openmpt_free_string(message);
    decoder->module = module;
    decoder->channels = 2;
    decoder->rate = DECODE_TRACKER_RATE;
    return 0;
}

// libopenmpt reads what it needs of the file itself, once the file is known to
// be a plain one of a sane size (decode_open_file).
static int decode_open_module_file(s_decoder* decoder, const char* path)
{
    FILE* file = fopen(path, "rb");
    if (!file) {
        decode_fail(decoder, "%s: cannot open: %s", path, strerror(errno));
        return 1;
    }
    int failed = decode_open_module(decoder, path, openmpt_stream_get_file_callbacks(), file);
    fclose(file);
    return failed;
}

static void decode_reset(s_decoder* decoder)
{
    decoder->file = nullptr;
    decoder->module = nullptr;
    decoder->bytes.clear();
    decoder->offset = 0;
    decoder->channels = 0;
    decoder->rate = 0;
    decoder->error[0] = 0;
}

// A failed open releases what it took but keeps the message saying why.
static void decode_close_keeping_error(s_decoder* decoder)
{
    char keep[DECODE_ERROR_SIZE];
    memcpy(keep, decoder->error, sizeof keep);
    decode_close(decoder);
    memcpy(decoder->error, keep, sizeof keep);
}

int decode_open_file(s_decoder* decoder, const char* path)
{
    decode_reset(decoder);
    int failed;
    // A FIFO or a device would hold the decoder's open, or feed it forever.
    std::string problem;
    if (file_check(path, FILE_REGULAR, DECODE_MAX_FILE_BYTES, &problem)) {
        decode_fail(decoder, "%s", problem.c_str());
        failed = 1;
    } else if (decode_is_tracker_name(path))
        failed = decode_open_module_file(decoder, path);
    else
        failed = decode_open_sndfile(decoder, path, path);
    if (failed)
        decode_close_keeping_error(decoder);
    return failed;
}

int decode_open_memory(s_decoder* decoder, const void* data, size_t size, bool tracker,
                       const char* name)
{
    decode_reset(decoder);
    if (size > DECODE_MAX_FILE_BYTES) {
        decode_fail(decoder, "%s: more than %d bytes", name, (int)DECODE_MAX_FILE_BYTES);
        return 1;
    }
    decoder->bytes.assign((const u8*)data, (const u8*)data + size);
    int failed;
    if (tracker) {
        openmpt_stream_buffer buffer;
        openmpt_stream_buffer_init(&buffer, decoder->bytes.data(), (int64_t)decoder->bytes.size());
        failed = decode_open_module(decoder, name, openmpt_stream_get_buffer_callbacks(), &buffer);
    } else {
        failed = decode_open_sndfile(decoder, nullptr, name);
    }
    if (failed)
        decode_close_keeping_error(decoder);
    return failed;
}

// libsndfile's own 16-bit read wraps Vorbis and float data that overshoots full
// scale, and its scaling option decodes the whole file at open to find the peak,
// so frames come as floats and are clamped here.
static u32 decode_read_sndfile(s_decoder* decoder, i16* out, u32 frames)
{
    u32 done = 0;
    while (done < frames) {
        u32 want =
            frames - done < (u32)DECODE_CHUNK_FRAMES ? frames - done : (u32)DECODE_CHUNK_FRAMES;
        sf_count_t got = sf_readf_float((SNDFILE*)decoder->file, decoder->chunk, want);
        if (got <= 0)
            break;
        u32 values = (u32)got * decoder->channels;
        i16* to = out + (size_t)done * decoder->channels;
        for (u32 i = 0; i < values; i++) {
            float v = decoder->chunk[i] * 32768.0f;
            v = v > -32768.0f ? (v < 32767.0f ? v : 32767.0f) : (v == v ? -32768.0f : 0.0f);
            to[i] = (i16)lrintf(v);
        }
        done += (u32)got;
        if ((u32)got < want)
            break;
    }
    return done;
}

u32 decode_read(s_decoder* decoder, i16* out, u32 frames)
{
    if (decoder->file)
        return decode_read_sndfile(decoder, out, frames);
    if (decoder->module)
        return (u32)openmpt_module_read_interleaved_stereo((openmpt_module*)decoder->module,
                                                           DECODE_TRACKER_RATE, frames, out);
    return 0;
}

int decode_rewind(s_decoder* decoder)
{
    if (decoder->file)
        return sf_seek((SNDFILE*)decoder->file, 0, SEEK_SET) == 0 ? 0 : 1;
    if (decoder->module) {
        openmpt_module_set_position_seconds((openmpt_module*)decoder->module, 0.0);
        return 0;
    }
    return 1;
}

int decode_seek(s_decoder* decoder, u64 frame)
{
    if (decoder->file)
        return sf_seek((SNDFILE*)decoder->file, (sf_count_t)frame, SEEK_SET) == (sf_count_t)frame
                   ? 0
                   : 1;
    if (decode_rewind(decoder))
        return 1;
    // A module has no frame index: it is played again up to the frame.
    i16 skip[DECODE_CHUNK_FRAMES * DECODE_MAX_CHANNELS];
    while (frame) {
        u32 n = decode_read(decoder, skip,
                            frame < DECODE_CHUNK_FRAMES ? (u32)frame : (u32)DECODE_CHUNK_FRAMES);
        if (!n)
            return 1;
        frame -= n;
    }
    return 0;
}

void decode_close(s_decoder* decoder)
{
    if (decoder->file)
        sf_close((SNDFILE*)decoder->file);
    if (decoder->module)
        openmpt_module_destroy((openmpt_module*)decoder->module);
    decoder->file = nullptr;
    decoder->module = nullptr;
    std::vector<u8>().swap(decoder->bytes);
    decoder->offset = 0;
    decoder->channels = 0;
    decoder->rate = 0;
}
