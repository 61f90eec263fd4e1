"""The scenarios, grouped by what they prove. Importing this package registers them all."""

from . import (completing, unchanged, failures, unattended, loading, java_readers,  # noqa: F401
               verifying)
