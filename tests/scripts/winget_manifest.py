#!/usr/bin/env python3
"""Checks a winget manifest (the three files in FOLDER) as `winget validate` would, for the keys
Tackpad's manifest may use: each file's required keys, their types, patterns, lengths and
values, and no other key (the schema allows none). Then what the schema cannot know: the files
agree with each other, with VERSION, with the installer's script, and the installer beside them
has the SHA-256 they give. Usage: winget_manifest.py FOLDER VERSION"""
import hashlib
import os
import re
import sys
import yaml

SCHEMA = "1.10.0"
NUMBER = r"(0|[1-9][0-9]{0,3}|[1-5][0-9]{4}|6[0-4][0-9]{3}|65[0-4][0-9]{2}|655[0-2][0-9]|6553[0-5])"
NAME_PART = r'[^\.\s\\/:\*\?"<>\|\x01-\x1f]{1,32}'


def text(pattern=None, least=1, most=None, values=None):
    return {"type": str, "pattern": pattern, "least": least, "most": most, "values": values}


def listing(item, most=None, least=0):
    return {"type": list, "item": item, "least": least, "most": most}


def record(keys, required=()):
    return {"type": dict, "keys": keys, "required": required}


URL = text(r"^([Hh][Tt][Tt][Pp][Ss]?)://.+$", most=2048)
LOCALE = text(r"^([a-zA-Z]{2,3}|[iI]-[a-zA-Z]+|[xX]-[a-zA-Z]{1,8})(-[a-zA-Z]{1,8})*$", most=20)
TAG = text(r"^\S+$", most=40)
COMMON = {
    "PackageIdentifier": text(rf"^{NAME_PART}(\.{NAME_PART}){{1,7}}$", most=128),
    "PackageVersion": text(r'^[^\\/:\*\?"<>\|\x01-\x1f]+$', most=128),
    "ManifestVersion": text(rf"^{NUMBER}(\.{NUMBER}){{2}}$"),
}
HEAD = ("PackageIdentifier", "PackageVersion")
TAIL = ("ManifestType", "ManifestVersion")
INSTALLER_TYPES = ["msix", "msi", "appx", "exe", "zip", "inno", "nullsoft", "wix", "burn", "pwa", "portable"]
INSTALLER = {
    "InstallerType": text(values=INSTALLER_TYPES),
    "Scope": text(values=["user", "machine"]),
    "ProductCode": text(most=255),
    "UpgradeBehavior": text(values=["install", "uninstallPrevious", "deny"]),
    "InstallerLocale": LOCALE,
}
SCHEMAS = {
    "version": record({**COMMON, "DefaultLocale": LOCALE, "ManifestType": text(values=["version"])},
                      HEAD + ("DefaultLocale",) + TAIL),
    "installer": record({**COMMON, **INSTALLER, "ManifestType": text(values=["installer"]),
                         "Installers": listing(record({
                             **INSTALLER,
                             "Architecture": text(values=["x86", "x64", "arm", "arm64", "neutral"]),
                             "InstallerUrl": URL,
                             "InstallerSha256": text(r"^[A-Fa-f0-9]{64}$"),
                         }, ("Architecture", "InstallerUrl", "InstallerSha256")), most=1024, least=1)},
                        HEAD + ("Installers",) + TAIL),
    "defaultLocale": record({
        **COMMON, "PackageLocale": LOCALE, "Publisher": text(least=2, most=256), "PublisherUrl": URL,
        "Author": text(least=2, most=256), "PackageName": text(least=2, most=256), "PackageUrl": URL,
        "License": text(least=3, most=512), "LicenseUrl": URL, "Copyright": text(least=3, most=512),
        "ShortDescription": text(least=3, most=256), "Description": text(least=3, most=10000),
        "Moniker": TAG, "Tags": listing(TAG, most=16), "ReleaseNotesUrl": URL,
        "ManifestType": text(values=["defaultLocale"]),
    }, HEAD + ("PackageLocale", "Publisher", "PackageName", "License", "ShortDescription") + TAIL),
}

faults = []


def check(value, rule, where):
    if not isinstance(value, rule["type"]) or isinstance(value, bool):
        faults.append(f"{where}: {value!r} is not a {rule['type'].__name__}")
        return
    if rule["type"] is dict:
        for key in rule["required"]:
            if key not in value:
                faults.append(f"{where}: no {key}")
        for key, item in value.items():
            if key not in rule["keys"]:
                faults.append(f"{where}: {key} is no key of the schema")
            else:
                check(item, rule["keys"][key], f"{where}.{key}")
        return
    if not rule["least"] <= len(value) <= (rule["most"] or len(value)):
        faults.append(f"{where}: {len(value)} long, outside {rule['least']}..{rule['most']}")
    if rule["type"] is list:
        if len(set(map(repr, value))) != len(value):
            faults.append(f"{where}: the same item twice")
        for n, item in enumerate(value):
            check(item, rule["item"], f"{where}[{n}]")
        return
    if rule["pattern"] and not re.search(rule["pattern"], value):
        faults.append(f"{where}: {value!r} does not match {rule['pattern']}")
    if rule["values"] and value not in rule["values"]:
        faults.append(f"{where}: {value!r} is not one of {rule['values']}")


def read(path):
    raw = open(path, "rb").read()
    if b"\t" in raw or b"\r" in raw:
        faults.append(f"{path}: a tab or a carriage return")
    first = raw.decode("utf-8").partition("\n")[0]
    document = yaml.safe_load(raw.decode("utf-8"))
    kind = document.get("ManifestType") if isinstance(document, dict) else None
    if first != f"# yaml-language-server: $schema=https://aka.ms/winget-manifest.{kind}.{SCHEMA}.schema.json":
        faults.append(f"{path}: its first line names no schema {SCHEMA} of its kind: {first}")
    if document.get("ManifestVersion") != SCHEMA:
        faults.append(f"{path}: ManifestVersion is not {SCHEMA}")
    check(document, SCHEMAS.get(kind, record({}, ("ManifestType",))), os.path.basename(path))
    return document


def script_define(name):
    nsi = open(os.path.join(os.path.dirname(__file__), "../../package/tackpad.nsi")).read()
    return re.search(rf'^!define {name} "(.*)"$', nsi, re.M).group(1)


def main(folder, version):
    files = sorted(f for f in os.listdir(folder) if f.endswith(".yaml"))
    documents = {}
    for name in files:
        document = read(os.path.join(folder, name))
        documents[document.get("ManifestType")] = (name, document)
    if sorted(documents) != sorted(SCHEMAS) or len(files) != 3:
        faults.append(f"{folder}: {files} are not one file of each kind {sorted(SCHEMAS)}")
        return
    version_file, release = documents["version"]
    installer = documents["installer"][1]
    locale = documents["defaultLocale"][1]
    package = release["PackageIdentifier"]
    wanted = {"version": f"{package}.yaml", "installer": f"{package}.installer.yaml",
              "defaultLocale": f"{package}.locale.{release['DefaultLocale']}.yaml"}
    for kind, (name, document) in documents.items():
        if name != wanted[kind]:
            faults.append(f"{name}: a {kind} manifest is named {wanted[kind]}")
        if (document["PackageIdentifier"], document["PackageVersion"]) != (package, version):
            faults.append(f"{name}: not {package} {version}")
    if locale["PackageLocale"] != release["DefaultLocale"]:
        faults.append("the default locale's file is not of the DefaultLocale")
    if locale["Publisher"] != script_define("PUBLISHER"):
        faults.append(f"Publisher {locale['Publisher']!r} is not the installer's")
    if installer["ProductCode"] != script_define("UNINSTALL_KEY").rpartition("\\")[2]:
        faults.append(f"ProductCode {installer['ProductCode']!r} is not the installer's uninstall key")
    for entry in installer["Installers"]:
        url = entry["InstallerUrl"]
        if not url.startswith(f"{locale['PackageUrl']}/releases/download/v{version}/"):
            faults.append(f"{url} is no download of the release v{version} of {locale['PackageUrl']}")
        setup = os.path.join(folder, url.rpartition("/")[2])
        digest = hashlib.sha256(open(setup, "rb").read()).hexdigest() if os.path.exists(setup) else None
        if digest is None or entry["InstallerSha256"].lower() != digest:
            faults.append(f"{setup}: missing, or not the installer of SHA-256 {entry['InstallerSha256']}")


if __name__ == "__main__":
    try:
        main(sys.argv[1], sys.argv[2])
    except (OSError, UnicodeDecodeError, yaml.YAMLError, KeyError, AttributeError) as fault:
        faults.append(f"{type(fault).__name__}: {fault}")
    for fault in faults:
        print("FAULT", fault)
    sys.exit(1 if faults else 0)
