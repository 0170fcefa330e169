#pragma once
// What the text path may agree to on one connection, in its own terms: the
// session maps the player's server settings onto it, so nothing here needs
// to know where they were read from.

// Which encodings the server may choose. Auto reads Windows-1252 until the
// server negotiates UTF-8.
enum class EncodingChoice { Auto, Cp1252, Utf8 };
// How colour sequences are drawn. Automatic keeps the game's classic rules
// until the server shows itself a server of today.
enum class ColourRules { Automatic, Classic, Terminal };

struct TextSettings {
    EncodingChoice encoding = EncodingChoice::Auto;
    bool tls = false; // the connection is encrypted (told in MTTS)
    ColourRules colours = ColourRules::Automatic;
    // A screen reader is in use (told in MTTS): always, or when the query,
    // asked at the moment the server asks for the terminal type, says so.
    bool screenReader = false;
    bool (*screenReaderActive)() = nullptr;
    bool gmcp = true; // the character's data beside the text may be agreed (option 201)
};
