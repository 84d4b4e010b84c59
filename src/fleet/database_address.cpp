#include "fleet/database_address.h"

#include <cctype>
#include <set>

namespace kamt {
namespace {

// libpq's keywords a KEY=VALUE address may start with; anything else is a file's name.
const std::set<std::string> kServerKeys = {"host", "hostaddr", "port", "dbname", "user", "password", "service",
                                           "sslmode", "connect_timeout", "application_name", "options"};

bool StartsWith(const std::string& s, const std::string& prefix) { return s.rfind(prefix, 0) == 0; }

std::string PercentDecoded(const std::string& s, bool& ok) {
  std::string out;
  for (std::size_t i = 0; i < s.size(); ++i) {
    if (s[i] != '%') {
      out += s[i];
      continue;
    }
    if (i + 2 >= s.size() || !std::isxdigit(static_cast<unsigned char>(s[i + 1])) ||
        !std::isxdigit(static_cast<unsigned char>(s[i + 2]))) {
      ok = false;
      return out;
    }
    out += static_cast<char>(std::stoi(s.substr(i + 1, 2), nullptr, 16));
    i += 2;
  }
  return out;
}

void ParseUri(const std::string& text, DatabaseAddress& a) {
  a.uri = true;
  bool ok = true;
  std::string rest = text.substr(text.find("://") + 3);
  std::string query;
  if (const auto q = rest.find('?'); q != std::string::npos) {
    query = rest.substr(q + 1);
    rest.erase(q);
  }
  if (const auto slash = rest.find('/'); slash != std::string::npos) {
    a.keys["dbname"] = PercentDecoded(rest.substr(slash + 1), ok);
    rest.erase(slash);
  }
  // The password may hold '@' when encoded; the last '@' ends the user's part.
  if (const auto at = rest.rfind('@'); at != std::string::npos) {
    const std::string who = rest.substr(0, at);
    rest.erase(0, at + 1);
    const auto colon = who.find(':');
    a.keys["user"] = PercentDecoded(who.substr(0, colon), ok);
    if (colon != std::string::npos) a.keys["password"] = PercentDecoded(who.substr(colon + 1), ok);
  }
  std::string host = rest;
  if (StartsWith(host, "[")) {  // an IPv6 address
    const auto close = host.find(']');
    if (close == std::string::npos) {
      a.error = "the server's address has '[' without ']'";
      return;
    }
    if (close + 1 < host.size() && host[close + 1] == ':') a.keys["port"] = host.substr(close + 2);
    host = host.substr(1, close - 1);
  } else if (const auto colon = host.rfind(':'); colon != std::string::npos) {
    a.keys["port"] = host.substr(colon + 1);
    host.erase(colon);
  }
  if (!host.empty()) a.keys["host"] = PercentDecoded(host, ok);
  for (std::size_t start = 0; start < query.size();) {
    const auto end = std::min(query.find('&', start), query.size());
    const std::string pair = query.substr(start, end - start);
    const auto eq = pair.find('=');
    if (eq == std::string::npos) {
      a.error = "the parameter " + pair + " has no value";
      return;
    }
    a.keys[PercentDecoded(pair.substr(0, eq), ok)] = PercentDecoded(pair.substr(eq + 1), ok);
    start = end + 1;
  }
  if (!ok) a.error = "a '%' of the address is not followed by two hexadecimal digits";
}

void ParseKeyValues(const std::string& text, DatabaseAddress& a) {
  std::size_t i = 0;
  const auto blanks = [&] {
    while (i < text.size() && std::isspace(static_cast<unsigned char>(text[i]))) ++i;
  };
  for (blanks(); i < text.size(); blanks()) {
    std::string key;
    while (i < text.size() && text[i] != '=' && !std::isspace(static_cast<unsigned char>(text[i]))) key += text[i++];
    blanks();
    if (i >= text.size() || text[i] != '=') {
      a.error = "\"" + key + "\" has no value (KEY=VALUE)";
      return;
    }
    ++i;
    blanks();
    std::string value;
    if (i < text.size() && text[i] == '\'') {
      for (++i; i < text.size() && text[i] != '\''; ++i) {
        if (text[i] == '\\' && i + 1 < text.size()) ++i;
        value += text[i];
      }
      if (i >= text.size()) {
        a.error = "the value of " + key + " has no closing quote";
        return;
      }
      ++i;
    } else {
      while (i < text.size() && !std::isspace(static_cast<unsigned char>(text[i]))) {
        if (text[i] == '\\' && i + 1 < text.size()) ++i;
        value += text[i++];
      }
    }
    if (!a.keys.contains(key)) a.order.push_back(key);
    a.keys[key] = value;
  }
}

bool IsKeyValues(const std::string& text) {
  std::size_t start = text.find_first_not_of(" \t");
  if (start == std::string::npos) return false;
  const std::size_t end = text.find_first_of(" \t=", start);
  return end != std::string::npos && text.find('=', start) != std::string::npos &&
         kServerKeys.contains(text.substr(start, end - start));
}

}  // namespace

std::string DatabaseAddress::Key(const std::string& key) const {
  const auto it = keys.find(key);
  return it == keys.end() ? std::string() : it->second;
}

std::string DatabaseAddress::Shown() const {
  if (!server) return path;
  const bool hasPassword = keys.contains("password");
  if (uri) {
    std::string shown = "postgresql://";
    if (keys.contains("user")) shown += Key("user") + (hasPassword ? ":***" : "") + "@";
    const std::string host = Key("host");
    shown += host.find(':') != std::string::npos ? "[" + host + "]" : host;
    if (keys.contains("port")) shown += ":" + Key("port");
    shown += "/" + Key("dbname");
    return shown;
  }
  std::string shown;
  for (const std::string& key : order) {
    if (!shown.empty()) shown += ' ';
    shown += key + "=" + (key == "password" ? "***" : Key(key));
  }
  return shown;
}

DatabaseAddress ParseDatabaseAddress(const std::string& text) {
  DatabaseAddress a;
  if (StartsWith(text, "postgresql://") || StartsWith(text, "postgres://")) {
    a.server = true;
    ParseUri(text, a);
  } else if (IsKeyValues(text)) {
    a.server = true;
    ParseKeyValues(text, a);
  } else {
    a.path = text;
  }
  if (a.server && a.error.empty() && a.Key("dbname").empty() && !a.keys.contains("service")) {
    a.error = "no database named (dbname)";
  }
  if (const std::string port = a.Key("port"); a.server && a.error.empty() && !port.empty()) {
    if (port.find_first_not_of("0123456789") != std::string::npos || port.size() > 5 || std::stoi(port) == 0 ||
        std::stoi(port) > 65535) {
      a.error = "port " + port + " is no TCP port";
    }
  }
  return a;
}

}  // namespace kamt
