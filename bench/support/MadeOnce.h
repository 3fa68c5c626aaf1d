#pragma once
// A fixture of widgets made on first use and gone before the application
// object: its widgets must not outlive QApplication.
#include <QCoreApplication>

#include <memory>

namespace quillary::bench {

template <class T>
T& MadeOnce() {
    static std::unique_ptr<T> made;
    if (!made) {
        made = std::make_unique<T>();
        qAddPostRoutine([] { made.reset(); });
    }
    return *made;
}

} // namespace quillary::bench
