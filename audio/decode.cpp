// Turns sound files into 16-bit PCM for the sound layer, checking every header value first.
#include "audio/decode.h"

#include <libopenmpt/libopenmpt.h>
#include <sndfile.h>
#include <sys/stat.h>

#include <cerrno>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <strings.h>

static const char* const s_tracker_extensions[] = {".it", ".mod", ".s3m", ".xm"};

static void decode_fail(s_decoder* decoder, const char* format, ...)
{
    va_list args;
    va_start(args, format);
    vsnprintf(decoder->error, sizeof decoder->error, format, args);
    va_end(args);
}

bool decode_is_tracker_name(const char* path)
{
    size_t length = strlen(path);
    for (const char* extension : s_tracker_extensions) {
        size_t n = strlen(extension);
        if (length >= n && strcasecmp(path + length - n, extension) == 0)
            return true;
    }
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
    if (decode_check_format(decoder, name, info.channels, info.samplerate))
        return 1;
    // Float data is scaled to the full 16-bit range instead of being clipped at +-1.
    sf_command(file, SFC_SET_SCALE_FLOAT_INT_READ, nullptr, SF_TRUE);
    return 0;
}

static int decode_open_module(s_decoder* decoder, const char* name)
{
    // Loading tries every format and builds the mixer's tables, which is slow;
    // the header probe turns away what cannot be a module at a fraction of that.
    int probe = openmpt_probe_file_header(OPENMPT_PROBE_FILE_HEADER_FLAGS_DEFAULT,
                                          decoder->bytes.data(), decoder->bytes.size(),
                                          decoder->bytes.size(), openmpt_log_func_silent, nullptr,
                                          openmpt_error_func_ignore, nullptr, nullptr, nullptr);
    if (probe == OPENMPT_PROBE_FILE_HEADER_RESULT_FAILURE) {
        decode_fail(decoder, "%s: not a tracker module this player reads", name);
        return 1;
    }
    int error = 0;
    const char* message = nullptr;
    openmpt_module* module = openmpt_module_create_from_memory2(
        decoder->bytes.data(), decoder->bytes.size(), openmpt_log_func_silent, nullptr,
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

// Reads a whole file into decoder->bytes after checking its size.
static int decode_slurp(s_decoder* decoder, const char* path)
{
    FILE* file = fopen(path, "rb");
    if (!file) {
        decode_fail(decoder, "%s: cannot open: %s", path, strerror(errno));
        return 1;
    }
    struct stat info;
    if (fstat(fileno(file), &info) != 0 || !S_ISREG(info.st_mode) ||
        info.st_size > DECODE_MAX_FILE_BYTES) {
        decode_fail(decoder, "%s: not a regular file of at most %d bytes", path,
                    (int)DECODE_MAX_FILE_BYTES);
        fclose(file);
        return 1;
    }
    decoder->bytes.resize((size_t)info.st_size);
    size_t got =
        decoder->bytes.empty() ? 0 : fread(decoder->bytes.data(), 1, decoder->bytes.size(), file);
    fclose(file);
    if (got != decoder->bytes.size()) {
        decode_fail(decoder, "%s: read %zu of %zu bytes", path, got, decoder->bytes.size());
        return 1;
    }
    return 0;
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
    if (decode_is_tracker_name(path))
        failed = decode_slurp(decoder, path) || decode_open_module(decoder, path);
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
    int failed =
        tracker ? decode_open_module(decoder, name) : decode_open_sndfile(decoder, nullptr, name);
    if (failed)
        decode_close_keeping_error(decoder);
    return failed;
}

u32 decode_read(s_decoder* decoder, i16* out, u32 frames)
{
    if (decoder->file) {
        sf_count_t got = sf_readf_short((SNDFILE*)decoder->file, out, frames);
        return got > 0 ? (u32)got : 0;
    }
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
