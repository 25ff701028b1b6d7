#include "image_test_util.h"

#include <fstream>
#include <sstream>

#include "common/qvtest.h"

static std::vector<std::string> splitTabs(const std::string& line) {
  std::vector<std::string> out;
  std::string cell;
  std::istringstream ss(line);
  while (std::getline(ss, cell, '\t')) out.push_back(cell);
  return out;
}

std::map<std::string, std::map<std::string, std::string>> readManifest(const std::string& path) {
  std::map<std::string, std::map<std::string, std::string>> rows;
  std::ifstream in(path);
  std::string line;
  if (!std::getline(in, line)) return rows;
  std::vector<std::string> head = splitTabs(line);
  while (std::getline(in, line)) {
    std::vector<std::string> cells = splitTabs(line);
    std::map<std::string, std::string> row;
    for (size_t i = 0; i < head.size() && i < cells.size(); i++) row[head[i]] = cells[i];
    if (!cells.empty()) rows[cells[0]] = row;
  }
  return rows;
}

xImage loadRecord(const std::string& path, const std::string& name) {
  TestRecord rec(qvReadFile(path), name);
  xImage img = {0, 0, 0, nullptr, nullptr};
  xImageLoad(&rec.fd, img);
  xImageConvert(&img, XIMAGE_XRGB32);
  return img;
}
