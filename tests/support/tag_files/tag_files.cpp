#include "tests/support/tag_files/tag_files.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <random>

extern char** environ;

namespace tagfiles {

namespace {

void Put16(Bytes& out, std::uint32_t value) {
    out.push_back(static_cast<std::uint8_t>(value));
    out.push_back(static_cast<std::uint8_t>(value >> 8));
}

void Put32(Bytes& out, std::uint32_t value) {
    Put16(out, value & 0xFFFF);
    Put16(out, value >> 16);
}

void PutText(Bytes& out, const std::string& text) {
    out.insert(out.end(), text.begin(), text.end());
}

void Set32(Bytes& data, std::size_t at, std::uint32_t value) {
    for (int i = 0; i < 4; ++i) {
        data[at + static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(value >> (8 * i));
    }
}

bool OnPath(const std::string& program) {
    const char* path = std::getenv("PATH");
    std::string dirs = path != nullptr ? path : "/usr/bin:/bin";
    std::size_t start = 0;
    while (start <= dirs.size()) {
        const std::size_t end = std::min(dirs.find(':', start), dirs.size());
        const std::string candidate = dirs.substr(start, end - start) + "/" + program;
        if (::access(candidate.c_str(), X_OK) == 0) {
            return true;
        }
        start = end + 1;
    }
    return false;
}

// Runs the program with the arguments, without a shell (titles hold any character), its
// output discarded. True when it exits with 0.
bool Run(const std::vector<std::string>& arguments) {
    std::vector<char*> argv;
    for (const std::string& argument : arguments) {
        argv.push_back(const_cast<char*>(argument.c_str()));
    }
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    pid_t pid = 0;
    const int spawned = posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (spawned != 0) {
        return false;
    }
    int status = 0;
    while (::waitpid(pid, &status, 0) < 0) {
    }
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

// ffmpeg's -metadata arguments for the tags that are set.
std::vector<std::string> FfmpegMetadata(const Tags& tags) {
    std::vector<std::string> out;
    const std::pair<const char*, const std::string*> fields[] = {
        {"title", &tags.title}, {"artist", &tags.artist}, {"album", &tags.album},
        {"date", &tags.date},   {"genre", &tags.genre},   {"track", &tags.track}};
    for (const auto& [key, value] : fields) {
        if (!value->empty()) {
            out.push_back("-metadata");
            out.push_back(std::string(key) + "=" + *value);
        }
    }
    return out;
}

std::vector<std::string> Concat(std::vector<std::string> a, const std::vector<std::string>& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

// Adds "--option value" for each set value.
void Options(std::vector<std::string>& out,
             std::initializer_list<std::pair<const char*, const std::string*>> options) {
    for (const auto& [option, value] : options) {
        if (!value->empty()) {
            out.push_back(option);
            out.push_back(*value);
        }
    }
}

std::vector<std::string> VorbisComments(const char* option, const Tags& tags) {
    std::vector<std::string> out;
    const std::pair<const char*, const std::string*> fields[] = {
        {"TITLE", &tags.title}, {"ARTIST", &tags.artist}, {"ALBUM", &tags.album},
        {"DATE", &tags.date},   {"GENRE", &tags.genre},   {"TRACKNUMBER", &tags.track}};
    for (const auto& [key, value] : fields) {
        if (!value->empty()) {
            out.push_back(option);
            out.push_back(std::string(key) + "=" + *value);
        }
    }
    return out;
}

std::vector<std::pair<std::string, std::string>> ApeItems(const Tags& tags) {
    std::vector<std::pair<std::string, std::string>> items;
    const std::pair<const char*, const std::string*> fields[] = {
        {"Title", &tags.title}, {"Artist", &tags.artist}, {"Album", &tags.album},
        {"Year", &tags.date},   {"Genre", &tags.genre},   {"Track", &tags.track}};
    for (const auto& [key, value] : fields) {
        if (!value->empty()) {
            items.emplace_back(key, *value);
        }
    }
    return items;
}

Bytes Noise(std::size_t length, std::uint32_t seed) {
    std::mt19937 random(seed);
    Bytes out(length);
    for (auto& b : out) {
        b = static_cast<std::uint8_t>(random());
    }
    return out;
}

// A Monkey's Audio file of the current layout (version 3990): descriptor, header, seek
// table and frames of noise in place of compressed audio; TagLib reads only the headers.
Bytes MakeApe(const Audio& audio, const Tags& tags) {
    constexpr std::uint32_t kBlocksPerFrame = 73728;
    const auto frames =
        static_cast<std::uint32_t>((audio.frames + kBlocksPerFrame - 1) / kBlocksPerFrame);
    const auto finalBlocks =
        static_cast<std::uint32_t>(audio.frames - std::int64_t{frames - 1} * kBlocksPerFrame);
    const std::uint32_t frameBytes = 4096 * frames;
    Bytes out;
    PutText(out, "MAC ");
    Put16(out, 3990);
    Put16(out, 0);
    Put32(out, 52);          // descriptor bytes
    Put32(out, 24);          // header bytes
    Put32(out, 4 * frames);  // seek table bytes
    Put32(out, 0);           // header data bytes
    Put32(out, frameBytes);
    Put32(out, 0);
    Put32(out, 0);                // terminating data bytes
    out.resize(out.size() + 16);  // MD5
    Put16(out, 2000);             // compression level "normal"
    Put16(out, 0);
    Put32(out, kBlocksPerFrame);
    Put32(out, finalBlocks);
    Put32(out, frames);
    Put16(out, 16);
    Put16(out, static_cast<std::uint32_t>(audio.channels));
    Put32(out, static_cast<std::uint32_t>(audio.sampleRate));
    for (std::uint32_t i = 0; i < frames; ++i) {
        Put32(out, 52 + 24 + 4 * frames + 4096 * i);
    }
    const Bytes data = Noise(frameBytes, 3990);
    out.insert(out.end(), data.begin(), data.end());
    const Bytes tag = MakeApeTag(ApeItems(tags));
    out.insert(out.end(), tag.begin(), tag.end());
    return out;
}

// A Musepack SV7 file: the stream header and frames of noise. The decoder drops the
// first 576 samples, so frames * 1152 - 576 samples play.
Bytes MakeMusepackSv7(std::int64_t mpcFrames, const Tags& tags) {
    Bytes out;
    PutText(out, "MP+");
    out.push_back(0x17);  // stream version 7
    Put32(out, static_cast<std::uint32_t>(mpcFrames));
    Put32(out, 0);  // flags: 44.1 kHz, no true gapless information
    out.resize(56);
    const Bytes data = Noise(static_cast<std::size_t>(mpcFrames) * 300, 7);
    out.insert(out.end(), data.begin(), data.end());
    const Bytes tag = MakeApeTag(ApeItems(tags));
    out.insert(out.end(), tag.begin(), tag.end());
    return out;
}

bool WriteBytes(const std::string& path, const Bytes& bytes) {
    return mp3gen::WriteFile(path, bytes);
}

}  // namespace

const std::vector<Kind>& AllKinds() {
    static const std::vector<Kind> kinds = {
        Kind::Flac,        Kind::OggFlac,  Kind::Vorbis, Kind::Opus,    Kind::Speex,
        Kind::M4aAac,      Kind::M4aAlac,  Kind::M4bAac, Kind::Wma,     Kind::WavInfo,
        Kind::WavId3,      Kind::Aiff,     Kind::Ape,    Kind::WavPack, Kind::MusepackSv8,
        Kind::MusepackSv7, Kind::TrueAudio};
    return kinds;
}

std::string KindName(Kind kind) {
    switch (kind) {
        case Kind::Flac:
            return "flac";
        case Kind::OggFlac:
            return "ogg_flac";
        case Kind::Vorbis:
            return "vorbis";
        case Kind::Opus:
            return "opus";
        case Kind::Speex:
            return "speex";
        case Kind::M4aAac:
            return "m4a_aac";
        case Kind::M4aAlac:
            return "m4a_alac";
        case Kind::M4bAac:
            return "m4b_aac";
        case Kind::Wma:
            return "wma";
        case Kind::WavInfo:
            return "wav_info";
        case Kind::WavId3:
            return "wav_id3";
        case Kind::Aiff:
            return "aiff";
        case Kind::Ape:
            return "ape";
        case Kind::WavPack:
            return "wavpack";
        case Kind::MusepackSv8:
            return "musepack_sv8";
        case Kind::MusepackSv7:
            return "musepack_sv7";
        case Kind::TrueAudio:
            return "tta";
    }
    return "";
}

std::string KindExtension(Kind kind) {
    switch (kind) {
        case Kind::Flac:
            return "flac";
        case Kind::OggFlac:
            return "oga";
        case Kind::Vorbis:
            return "ogg";
        case Kind::Opus:
            return "opus";
        case Kind::Speex:
            return "spx";
        case Kind::M4aAac:
        case Kind::M4aAlac:
            return "m4a";
        case Kind::M4bAac:
            return "m4b";
        case Kind::Wma:
            return "wma";
        case Kind::WavInfo:
        case Kind::WavId3:
            return "wav";
        case Kind::Aiff:
            return "aiff";
        case Kind::Ape:
            return "ape";
        case Kind::WavPack:
            return "wv";
        case Kind::MusepackSv8:
        case Kind::MusepackSv7:
            return "mpc";
        case Kind::TrueAudio:
            return "tta";
    }
    return "";
}

Written WrittenTags(Kind kind) {
    Written written;
    switch (kind) {
        case Kind::Speex:
            // speexenc has options for title and author only; the rest go in as comments.
            break;
        case Kind::Wma:
            // ffmpeg's ASF writer has no field for the date.
            written.date = false;
            break;
        default:
            break;
    }
    return written;
}

std::string EncoderProgram(Kind kind) {
    switch (kind) {
        case Kind::Flac:
        case Kind::OggFlac:
            return "flac";
        case Kind::Vorbis:
            return "oggenc";
        case Kind::Opus:
            return "opusenc";
        case Kind::Speex:
            return "speexenc";
        case Kind::MusepackSv8:
            return "mpcenc";
        case Kind::Ape:
        case Kind::MusepackSv7:
        case Kind::WavId3:
            return "";
        default:
            return "ffmpeg";
    }
}

std::string EncoderPackage(Kind kind) {
    const std::string program = EncoderProgram(kind);
    if (program == "oggenc") {
        return "vorbis-tools";
    }
    if (program == "opusenc") {
        return "opus-tools";
    }
    if (program == "speexenc") {
        return "speex";
    }
    if (program == "mpcenc") {
        return "musepack-tools";
    }
    return program;
}

bool CanMake(Kind kind) {
    const std::string program = EncoderProgram(kind);
    return program.empty() || OnPath(program);
}

Bytes MakeWave(const Audio& audio) {
    const auto dataBytes = static_cast<std::uint32_t>(audio.frames * audio.channels * 2);
    Bytes out;
    PutText(out, "RIFF");
    Put32(out, 36 + dataBytes);
    PutText(out, "WAVEfmt ");
    Put32(out, 16);
    Put16(out, 1);  // PCM
    Put16(out, static_cast<std::uint32_t>(audio.channels));
    Put32(out, static_cast<std::uint32_t>(audio.sampleRate));
    Put32(out, static_cast<std::uint32_t>(audio.sampleRate * audio.channels * 2));
    Put16(out, static_cast<std::uint32_t>(audio.channels * 2));
    Put16(out, 16);
    PutText(out, "data");
    Put32(out, dataBytes);
    // Quiet noise: lossy encoders give it a few bits per frame, lossless ones cannot
    // shrink it to nothing.
    std::mt19937 random(44100);
    for (std::uint32_t i = 0; i < dataBytes / 2; ++i) {
        Put16(out, static_cast<std::uint16_t>(static_cast<int>(random() % 2001) - 1000));
    }
    return out;
}

Bytes MakeApeTag(const std::vector<std::pair<std::string, std::string>>& items) {
    Bytes body;
    for (const auto& [key, value] : items) {
        Put32(body, static_cast<std::uint32_t>(value.size()));
        Put32(body, 0);  // UTF-8 text
        PutText(body, key);
        body.push_back(0);
        PutText(body, value);
    }
    auto block = [&](std::uint32_t flags) {
        Bytes out;
        PutText(out, "APETAGEX");
        Put32(out, 2000);
        Put32(out, static_cast<std::uint32_t>(body.size() + 32));
        Put32(out, static_cast<std::uint32_t>(items.size()));
        Put32(out, flags);
        out.resize(out.size() + 8);
        return out;
    };
    return mp3gen::Concat({block(0xA0000000u), body, block(0x80000000u)});
}

Bytes AddId3Chunk(const Bytes& wave, const Bytes& id3v2) {
    Bytes out = wave;
    PutText(out, "id3 ");
    Put32(out, static_cast<std::uint32_t>(id3v2.size()));
    out.insert(out.end(), id3v2.begin(), id3v2.end());
    if (id3v2.size() % 2 != 0) {
        out.push_back(0);
    }
    Set32(out, 4, static_cast<std::uint32_t>(out.size() - 8));
    return out;
}

Bytes ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), {});
}

std::optional<Made> Make(Kind kind, const std::string& folder, const std::string& base,
                         const Tags& tags, const Audio& audio) {
    if (!CanMake(kind)) {
        return std::nullopt;
    }
    // Speex takes 8, 16 or 32 kHz: its source is the same time at 16 kHz, in mono.
    Audio source = audio;
    if (kind == Kind::Speex) {
        source.sampleRate = 16000;
        source.channels = 1;
        source.frames = audio.frames * 16000 / audio.sampleRate;
    }
    Made made;
    made.path = folder + "/" + base + "." + KindExtension(kind);
    made.milliseconds = static_cast<double>(source.frames) * 1000.0 / source.sampleRate;
    const std::string wave = folder + "/" + base + ".source.wav";
    if (!WriteBytes(wave, MakeWave(source))) {
        return std::nullopt;
    }
    const std::vector<std::string> ffmpeg = {"ffmpeg", "-nostdin", "-hide_banner", "-loglevel",
                                             "error",  "-y",       "-i",           wave};
    const std::vector<std::string> metadata = FfmpegMetadata(tags);
    std::vector<std::string> command;
    bool ok = true;
    switch (kind) {
        case Kind::Flac:
        case Kind::OggFlac:
            command = {"flac", "-s", "-f"};
            if (kind == Kind::OggFlac) {
                command.push_back("--ogg");
            }
            command = Concat(command, VorbisComments("-T", tags));
            command = Concat(command, {"-o", made.path, wave});
            break;
        case Kind::Vorbis:
            command = {"oggenc", "-Q"};
            Options(command, {{"-t", &tags.title},
                              {"-a", &tags.artist},
                              {"-l", &tags.album},
                              {"-d", &tags.date},
                              {"-G", &tags.genre},
                              {"-N", &tags.track}});
            command = Concat(command, {"-o", made.path, wave});
            break;
        case Kind::Opus:
            command = {"opusenc", "--quiet"};
            Options(command, {{"--title", &tags.title},
                              {"--artist", &tags.artist},
                              {"--album", &tags.album},
                              {"--date", &tags.date},
                              {"--genre", &tags.genre}});
            if (!tags.track.empty()) {
                command = Concat(command, {"--comment", "TRACKNUMBER=" + tags.track});
            }
            command = Concat(command, {wave, made.path});
            break;
        case Kind::Speex: {
            command = {"speexenc"};
            Options(command, {{"--title", &tags.title}, {"--author", &tags.artist}});
            const std::pair<const char*, const std::string*> rest[] = {
                {"ALBUM", &tags.album},
                {"DATE", &tags.date},
                {"GENRE", &tags.genre},
                {"TRACKNUMBER", &tags.track}};
            for (const auto& [key, value] : rest) {
                if (!value->empty()) {
                    command = Concat(command, {"--comment", std::string(key) + "=" + *value});
                }
            }
            command = Concat(command, {wave, made.path});
            break;
        }
        case Kind::M4aAac:
            command = Concat(Concat(ffmpeg, {"-c:a", "aac", "-b:a", "96k"}), metadata);
            command.push_back(made.path);
            break;
        case Kind::M4aAlac:
            command = Concat(Concat(ffmpeg, {"-c:a", "alac"}), metadata);
            command.push_back(made.path);
            break;
        case Kind::M4bAac:
            command = Concat(
                Concat(ffmpeg, {"-c:a", "aac", "-b:a", "64k", "-f", "ipod", "-brand", "M4B "}),
                metadata);
            command.push_back(made.path);
            break;
        case Kind::Wma:
            command = Concat(Concat(ffmpeg, {"-c:a", "wmav2", "-b:a", "64k"}), metadata);
            command.push_back(made.path);
            break;
        case Kind::WavInfo:
            command = Concat(Concat(ffmpeg, {"-c:a", "pcm_s16le"}), metadata);
            command.push_back(made.path);
            break;
        case Kind::Aiff:
            command = Concat(Concat(ffmpeg, {"-c:a", "pcm_s16be", "-write_id3v2", "1"}), metadata);
            command.push_back(made.path);
            break;
        case Kind::WavPack:
            command = Concat(Concat(ffmpeg, {"-c:a", "wavpack"}), metadata);
            command.push_back(made.path);
            break;
        case Kind::TrueAudio:
            command = Concat(Concat(ffmpeg, {"-c:a", "tta", "-f", "tta"}), metadata);
            command.push_back(made.path);
            break;
        case Kind::MusepackSv8:
            command = {"mpcenc", "--silent", "--overwrite"};
            Options(command, {{"--title", &tags.title},
                              {"--artist", &tags.artist},
                              {"--album", &tags.album},
                              {"--year", &tags.date},
                              {"--genre", &tags.genre},
                              {"--track", &tags.track}});
            command = Concat(command, {wave, made.path});
            break;
        case Kind::WavId3: {
            using mp3gen::Id3v2Builder;
            Id3v2Builder id3(4);
            const std::pair<const char*, const std::string*> frames[] = {
                {"TIT2", &tags.title}, {"TPE1", &tags.artist}, {"TALB", &tags.album},
                {"TDRC", &tags.date},  {"TCON", &tags.genre},  {"TRCK", &tags.track}};
            for (const auto& [id, value] : frames) {
                if (!value->empty()) {
                    id3.Text(id, *value, Id3v2Builder::Utf8);
                }
            }
            ok = WriteBytes(made.path, AddId3Chunk(MakeWave(source), id3.Build()));
            break;
        }
        case Kind::Ape:
            ok = WriteBytes(made.path, MakeApe(source, tags));
            break;
        case Kind::MusepackSv7: {
            // Whole frames of 1152 samples, and the decoder's delay of 576 counted off.
            const std::int64_t samples = source.frames * 44100 / source.sampleRate;
            const std::int64_t frames = (samples + 576 + 1151) / 1152;
            made.milliseconds = static_cast<double>(frames * 1152 - 576) * 1000.0 / 44100;
            ok = WriteBytes(made.path, MakeMusepackSv7(frames, tags));
            break;
        }
    }
    if (!command.empty()) {
        ok = Run(command);
    }
    ::unlink(wave.c_str());
    if (!ok || ::access(made.path.c_str(), R_OK) != 0) {
        return std::nullopt;
    }
    return made;
}

}  // namespace tagfiles
