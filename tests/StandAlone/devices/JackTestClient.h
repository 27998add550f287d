#pragma once
// A JACK client of the test's own, on the server that tests/support/with-jack.sh started: a MIDI
// output that plays numbered notes (the number in key and velocity, so order can be checked),
// and an audio input that remembers the extreme samples it heard.

#include <jack/jack.h>

#include <atomic>
#include <string>
#include <vector>

namespace rimba::test {

class JackTestClient {
public:
    // activate false leaves the client inactive: its ports exist, but no connection to them
    // can be made.
    explicit JackTestClient(const std::string& name, bool activate = true);
    ~JackTestClient();
    JackTestClient(const JackTestClient&) = delete;
    JackTestClient& operator=(const JackTestClient&) = delete;

    bool isOpen() const { return client != nullptr; }
    jack_client_t* handle() const { return client; }
    std::string midiOutName() const;
    std::string audioInName() const;

    // Notes to play, one per cycle; -1 plays on until told otherwise.
    void playNotes(int count) { notesLeft.store(count); }
    int notesPlayed() const { return played.load(); }

    float loudestHeard() const { return loudest.load(); }
    float softestHeard() const { return softest.load(); }

    // Every port of the server connected to the named port.
    std::vector<std::string> connectionsOf(const std::string& port) const;

private:
    static int process(jack_nframes_t frames, void* self);
    void run(jack_nframes_t frames);

    jack_client_t* client = nullptr;
    jack_port_t* midiOut = nullptr;
    jack_port_t* audioIn = nullptr;
    std::atomic<int> notesLeft{0};
    std::atomic<int> played{0};
    std::atomic<float> loudest{0.0f};
    std::atomic<float> softest{0.0f};
};

// The numbered note: key and velocity hold the 14-bit number.
inline int noteNumber(std::uint8_t key, std::uint8_t velocity) { return key << 7 | velocity; }

}  // namespace rimba::test
