// Drive letters through Wine's mount manager: a running program sees a
// letter defined or removed here on its next drive query.
#pragma once

#include <string>

namespace simcd
{

class MountManager
{
public:
    // Makes the letter a CD-ROM drive whose root is the given Windows folder.
    static bool DefineCdrom(char letter, const std::string& folder, std::string& error);
    static bool Remove(char letter, std::string& error);

private:
    static bool Send(char letter, unsigned long type, const std::string& unixPath, std::string& error);
};

}  // namespace simcd
