"""Where the products are, and what a run writes of them into the system environment and the data
source."""

from __future__ import annotations

from ..machine import JAVA_HOME
from ..registry import ACCESS_DRIVER, REG_SZ, Value
from . import program


class Homes:
    """The JDK and Tomcat folders of a machine."""

    def __init__(self, tomcat: str, jdk: str = JAVA_HOME):
        self.jdk = jdk
        self.tomcat = tomcat

    @property
    def slash(self) -> str:
        return self.tomcat.replace("\\", "/")

    def folder(self, base: str) -> str:
        """The folder of a product, by its name in a tree ("jdk" or "tomcat")."""
        return self.jdk if base == "jdk" else self.tomcat

    def database(self) -> str:
        return self.tomcat + r"\webapps\tessal\TESSAL.mdb"


def class_path(tomcat: str) -> str:
    return "".join(tomcat + suffix for suffix in program.class_path_suffixes())


def environment(homes: Homes) -> dict[str, Value]:
    """The system environment values a run writes, but Path, by their names in lower case."""
    return {"catalina_home": Value(REG_SZ, homes.tomcat),
            "classpath": Value(REG_SZ, class_path(homes.tomcat)),
            "java_home": Value(REG_SZ, homes.jdk)}


def appended(path: Value, homes: Homes) -> Value:
    """Path with the JDK added, of the type it had."""
    return Value(path.type, f"{path.data};{homes.jdk}\\bin")


def data_source(homes: Homes, driver: Value | None) -> dict[str, Value | None]:
    """The values of the system data source TESSAL, by their names in lower case, for the Access
    driver registered with the file driver."""
    return {
        "driver": driver,
        "dbq": Value(REG_SZ, homes.database()),
        "maxbuffersize": Value(REG_SZ, "2048"),
        "pagetimeout": Value(REG_SZ, "5"),
        "fil": Value(REG_SZ, "MS Access"),
    }


# How the data source is listed among the system's data sources.
LISTED = Value(REG_SZ, ACCESS_DRIVER)
