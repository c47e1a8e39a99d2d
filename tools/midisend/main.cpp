// prismo-midisend: a controller on the command line. It connects to the
// program's MIDI ports, sends the messages given, and prints the messages
// the program sends back (feedback) for a while; see --help.
#include <RtMidi.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace {
using Message = std::vector<unsigned char>;

const char Usage[] =
    "Usage: prismo-midisend [options] MESSAGE...\n"
    "Sends MIDI messages to the first port whose name holds NAME (Prismolink's\n"
    "input), and prints what the program sends back, one message a line in hex.\n"
    "\n"
    "  MESSAGE          cc:CHANNEL:NUMBER:VALUE, note:CHANNEL:NUMBER:VELOCITY or\n"
    "                   the bytes in hex (b01001); xN after it sends it N times\n"
    "                   (cc:1:16:1x5: five detents of a relative-twos encoder)\n"
    "  --backend NAME   jack or alsa (default: alsa where /dev/snd/seq exists)\n"
    "  --to NAME        the ports to connect to (default: Prismolink)\n"
    "  --listen MS      print what comes back until MS ms after the last message\n"
    "                   (default 300)\n"
    "  --gap MS         wait between messages (default 0)\n"
    "  -h, --help       this help\n"
    "\n"
    "Exit codes: 0 sent, 1 no such port or no MIDI system, 2 wrong arguments.\n";

int number(const std::string &text, int lowest, int highest)
{
    char *end = nullptr;
    const long value = std::strtol(text.c_str(), &end, 10);
    if (text.empty() || *end != '\0' || value < lowest || value > highest)
        return -1;
    return int(value);
}

// One message and how often it is sent; false for a text that is none.
bool parse(std::string text, Message &message, int &times)
{
    times = 1;
    if (const std::size_t x = text.rfind('x'); x != std::string::npos && x > 0) {
        times = number(text.substr(x + 1), 1, 100000);
        text.resize(x);
    }
    message.clear();
    const std::size_t colon = text.find(':');
    if (colon == std::string::npos) {
        if (text.empty() || text.size() % 2 != 0 || text.size() > 512)
            return false;
        for (std::size_t i = 0; i < text.size(); i += 2) {
            char *end = nullptr;
            const std::string pair = text.substr(i, 2);
            const long byte = std::strtol(pair.c_str(), &end, 16);
            if (*end != '\0')
                return false;
            message.push_back(static_cast<unsigned char>(byte));
        }
        return times > 0;
    }
    std::vector<std::string> parts;
    for (std::size_t from = 0;;) {
        const std::size_t to = text.find(':', from);
        parts.push_back(text.substr(from, to == std::string::npos ? std::string::npos : to - from));
        if (to == std::string::npos)
            break;
        from = to + 1;
    }
    if (parts.size() != 4 || (parts[0] != "cc" && parts[0] != "note"))
        return false;
    const int channel = number(parts[1], 1, 16);
    const int control = number(parts[2], 0, 127);
    const int value = number(parts[3], 0, 127);
    if (channel < 0 || control < 0 || value < 0 || times < 1)
        return false;
    const int status = parts[0] == "cc" ? 0xB0 : 0x90;
    message = {static_cast<unsigned char>(status | (channel - 1)), static_cast<unsigned char>(control),
               static_cast<unsigned char>(value)};
    return true;
}

// The first port whose name holds `name`, not one of this program's own.
int findPort(RtMidi &midi, const std::string &name)
{
    for (unsigned i = 0; i < midi.getPortCount(); ++i) {
        const std::string port = midi.getPortName(i);
        if (port.find(name) != std::string::npos && port.find("prismo-midisend") == std::string::npos)
            return int(i);
    }
    return -1;
}

std::mutex printing;

void print(double, Message *message, void *)
{
    std::lock_guard<std::mutex> lock(printing);
    for (std::size_t i = 0; i < message->size(); ++i)
        std::printf(i == 0 ? "%02x" : " %02x", (*message)[i]);
    std::printf("\n");
    std::fflush(stdout);
}
} // namespace

int main(int argc, char *argv[])
{
    RtMidi::Api api = RtMidi::UNIX_JACK;
#ifdef _WIN32
    api = RtMidi::WINDOWS_MM;
#else
    if (std::FILE *sequencer = std::fopen("/dev/snd/seq", "r")) {
        std::fclose(sequencer);
        api = RtMidi::LINUX_ALSA;
    }
#endif
    std::string to = "Prismolink";
    int listenMs = 300;
    int gapMs = 0;
    std::vector<std::pair<Message, int>> messages;
    for (int i = 1; i < argc; ++i) {
        const std::string argument = argv[i];
        const bool valued = argument == "--backend" || argument == "--to" || argument == "--listen" || argument == "--gap";
        if (argument == "-h" || argument == "--help") {
            std::fputs(Usage, stdout);
            return 0;
        }
        if (valued && i + 1 == argc) {
            std::fprintf(stderr, "prismo-midisend: %s needs a value\n", argument.c_str());
            return 2;
        }
        const std::string value = valued ? argv[++i] : std::string();
        if (argument == "--backend" && (value == "jack" || value == "alsa")) {
            api = value == "jack" ? RtMidi::UNIX_JACK : RtMidi::LINUX_ALSA;
        } else if (argument == "--to") {
            to = value;
        } else if (argument == "--listen" || argument == "--gap") {
            const int ms = number(value, 0, 600000);
            if (ms < 0) {
                std::fprintf(stderr, "prismo-midisend: %s takes milliseconds, not \"%s\"\n", argument.c_str(), value.c_str());
                return 2;
            }
            (argument == "--listen" ? listenMs : gapMs) = ms;
        } else {
            Message message;
            int times = 1;
            if (valued || !parse(argument, message, times)) {
                std::fprintf(stderr, "prismo-midisend: \"%s\" is no message or option\n%s", argument.c_str(), Usage);
                return 2;
            }
            messages.emplace_back(message, times);
        }
    }
    try {
        RtMidiOut out(api, "prismo-midisend");
        RtMidiIn in(api, "prismo-midisend");
        const int destination = findPort(out, to);
        if (destination < 0) {
            std::fprintf(stderr, "prismo-midisend: no MIDI port holds \"%s\" (is the program running with --midi?)\n", to.c_str());
            return 1;
        }
        out.openPort(unsigned(destination), "out");
        // The program's output, when there is one: its feedback is printed.
        if (const int source = findPort(in, to); source >= 0) {
            in.setCallback(print);
            in.openPort(unsigned(source), "in");
        }
        for (const auto &[message, times] : messages) {
            for (int i = 0; i < times; ++i) {
                out.sendMessage(&message);
                if (gapMs > 0)
                    std::this_thread::sleep_for(std::chrono::milliseconds(gapMs));
            }
        }
        // The back end delivers on its own thread: what was sent leaves, and what comes back is printed.
        std::this_thread::sleep_for(std::chrono::milliseconds(std::max(listenMs, 50)));
    } catch (const RtMidiError &error) {
        std::fprintf(stderr, "prismo-midisend: %s\n", error.getMessage().c_str());
        return 1;
    }
    return 0;
}
