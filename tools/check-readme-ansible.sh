#!/bin/bash
# Reads the Ansible tasks of the README as Ansible does: the YAML of its "### Ansible" section, in a
# play of its own, must pass ansible-playbook's syntax check and ansible-lint (production profile,
# warnings included), and each task may give its module only the options the module documents,
# with every option it requires and a value among the option's choices (ansible-lint cannot load
# the Windows modules, which are PowerShell, to check their options); and every condition of the
# tasks must hold in check mode, where the setup does not run, and read each of the program's exit
# codes as that code asks (tools/readme_ansible.py). Needs no network.
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

# Debian's Python, which has Ansible's own task reader and templating.
/usr/bin/python3 tools/readme_ansible.py modules "$work/playbook.yml" >"$log" 2>&1 ||
  fail "a task of the README misuses its module"
tasks=$(cat "$log")
/usr/bin/python3 tools/readme_ansible.py conditions "$work/playbook.yml" setup/outcomes.def \
  >"$log" 2>&1 || fail "a condition of the README's tasks fails in check mode or misreads a code"
echo "README Ansible: $tasks pass the syntax check, ansible-lint and their modules' options;"
echo "  $(cat "$log") hold in check mode and read each exit code as it asks"
