#pragma once

#include <QString>

class QCommandLineParser;
class QObject;

namespace kd::sim {

/// One face of the simulated cabinet that kd7634-sim can run: the USB link,
/// the LAN side, the sample logger. main.cpp lists them, one line each; every
/// side adds its options and starts itself when its options ask for it.
struct Side {
    const char* name;
    void (*addOptions)(QCommandLineParser& parser);
    /// Starts the side when the command line asks for it (the objects are
    /// owned by `parent`) and says so in `started`. False with the reason in
    /// `error` when its options are bad or it cannot start.
    bool (*start)(const QCommandLineParser& parser, QObject* parent, bool* started, QString* error);
};

}  // namespace kd::sim
