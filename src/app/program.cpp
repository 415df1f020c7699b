#include "program.h"

#include "datamodule1.h"
#include "form1.h"
#include "graphform.h"
#include "internform.h"
#include "introform.h"
#include "mainform.h"
#include "programwindows.h"
#include "schrankform.h"
#include "tabverwaltungform.h"
#include "tabwahlform.h"

namespace kd {

namespace {
template <typename T, typename Parent = QWidget>
T* create(std::vector<std::unique_ptr<QObject>>& owner) {
    auto instance = std::make_unique<T>(static_cast<Parent*>(nullptr));
    T* raw = instance.get();
    owner.push_back(std::move(instance));
    // Every window opens centred on the screen.
    if constexpr (std::is_base_of_v<QWidget, T>)
        centreOnFirstShow(raw);
    return raw;
}
}  // namespace

Program::Program() {
    ProgramWindows& w = windows();
    // Each creation handler may use only the windows created before it, so
    // every reference is published right after its window exists.
    w.Introform = create<TIntroform>(instances_);
    auto* console = create<TSchrankForm>(instances_);
    w.SchrankForm = console;
    w.cabinet = console;
    w.Form1 = create<TForm1>(instances_);
    w.GraphForm = create<TGraphForm>(instances_);
    auto* intern = create<TInternForm>(instances_);
    w.InternForm = intern;
    w.diagnostics = intern;
    w.DataModule1 = create<TDataModule1, QObject>(instances_);
    w.Mainform = create<TMainform>(instances_);
    w.tabwahlform = create<Ttabwahlform>(instances_);
    w.TabverwaltungForm = create<TTabverwaltungForm>(instances_);
}

Program::~Program() {
    // Release the cabinet link before any window goes, then destroy in
    // reverse order so no window outlives one it uses.
    windows().cabinet = nullptr;
    windows().diagnostics = nullptr;
    while (!instances_.empty())
        instances_.pop_back();
    windows() = ProgramWindows{};
}

QList<QObject*> Program::instances() const {
    QList<QObject*> list;
    for (const auto& i : instances_)
        list.append(i.get());
    return list;
}

}  // namespace kd
