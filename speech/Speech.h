#pragma once
// A voice the program speaks with: texts queue up and are said in order;
// stop() cuts the one being said and drops the rest.
#include <QString>

class Speech {
public:
    virtual ~Speech() = default;
    virtual void speak(const QString& text) = 0;
    virtual void stop() = 0;
};
