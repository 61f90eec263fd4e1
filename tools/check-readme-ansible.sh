#!/bin/bash
# Reads the Ansible tasks of the README as Ansible does: the YAML of its "### Ansible" section, in a
# play of its own, must pass ansible-playbook's syntax check and ansible-lint (production profile,
# warnings included), and each task may give its module only the options the module documents,
# with every option it requires and a value among the option's choices. That last part is done
# here because ansible-lint cannot load the Windows modules, which are PowerShell, to check their
# options. Needs no network.
#   tools/check-readme-ansible.sh [README]
set -euo pipefail
readme=$(realpath "${1:-$(dirname "$0")/../README.md}")
cd "$(dirname "$0")/.."

scripts/install-deps.sh ansible ansible-lint

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
log=$work/log

fail() {
  echo "FAIL: $1"
  sed 's/^/  /' "$log"
  exit 1
}

# The section runs to the next heading; a "#" inside a YAML block is a comment, not a heading.
{
  printf -- '- name: Set up tessal\n  hosts: windows\n  gather_facts: false\n  tasks:\n'
  awk '/^### Ansible$/ { section = 1; next }
       section && !yaml && /^#+ / { exit }
       section && /^```yaml$/ { yaml = 1; next }
       yaml && /^```$/ { yaml = 0; next }
       yaml && /./ { print "    " $0; next }
       yaml { print }' "$readme"
} >"$work/playbook.yml"
printf '[windows]\nmachine ansible_connection=winrm\n' >"$work/inventory"

ansible-playbook --syntax-check -i "$work/inventory" "$work/playbook.yml" >"$log" 2>&1 ||
  fail "ansible-playbook --syntax-check refuses the README's tasks"
(cd "$work" && ansible-lint --offline --strict --profile production --nocolor playbook.yml) \
  >"$log" 2>&1 || fail "ansible-lint finds fault with the README's tasks"

# Debian's Python, which has Ansible's own task reader.
/usr/bin/python3 - "$work/playbook.yml" >"$log" 2>&1 <<'PY' || fail "a task of the README misuses its module"
import json, subprocess, sys
import yaml
from ansible.parsing.mod_args import ModuleArgsParser

def tasks(items):
    for item in items or []:
        if "block" in item:
            for part in ("block", "rescue", "always"):
                yield from tasks(item.get(part))
        else:
            yield item

found = [(task["name"], *ModuleArgsParser(task).parse()[:2])
         for task in tasks(yaml.safe_load(open(sys.argv[1]))[0]["tasks"])]
if not found:
    sys.exit("the README's Ansible section holds no task")
docs = json.loads(subprocess.run(["ansible-doc", "-j", "-t", "module", *{a for _, a, _ in found}],
                                 check=True, capture_output=True, text=True).stdout)
faults = []
for name, action, args in found:
    options = docs[action]["doc"].get("options") or {}
    named = {alias: option for option, described in options.items()
             for alias in [option, *described.get("aliases", [])]}
    given = {named[key]: value for key, value in args.items() if key in named}
    faults += [f"{name}: {action} has no option {key}"
               for key in args if key not in named and not key.startswith("_")]
    faults += [f"{name}: {action} requires {option}"
               for option, described in options.items()
               if described.get("required") and option not in given]
    faults += [f"{name}: {action} takes {option} as one of {options[option]['choices']}, not {value}"
               for option, value in given.items()
               if isinstance(value, str) and "{{" not in value
               and options[option].get("choices") and value not in options[option]["choices"]]
print("\n".join(faults) or f"{len(found)} tasks")
sys.exit(1 if faults else 0)
PY
echo "README Ansible: $(cat "$log") pass the syntax check, ansible-lint and their modules' options"
