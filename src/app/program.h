#pragma once

#include <QList>
#include <QObject>

#include <memory>
#include <vector>

namespace kd {

/// The composition root: creates the one instance of every window and of the
/// data module, in their fixed order, fills the program-wide references and
/// keeps them for the whole run. Destroys them in reverse order at the end.
class Program {
public:
    Program();
    ~Program();
    Program(const Program&) = delete;
    Program& operator=(const Program&) = delete;

    /// The instances in creation order; the first is the main window.
    QList<QObject*> instances() const;

private:
    std::vector<std::unique_ptr<QObject>> instances_;
};

}  // namespace kd
