// Reading a document file whole, with a message for the user when that is not possible.
#ifndef DRAVIK_XML_FILE_BYTES_H
#define DRAVIK_XML_FILE_BYTES_H

#include <string>

namespace dravik_xml {

// Reads the file into *bytes. Otherwise false, with *problem saying what is wrong and what to
// do, for example "no such file; check the name and the directory".
bool read_file_bytes(const std::string& path, std::string* bytes, std::string* problem);

}  // namespace dravik_xml

#endif  // DRAVIK_XML_FILE_BYTES_H
